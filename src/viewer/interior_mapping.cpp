// The viewer's entry point, its fixed start-up order and the frame loop.
#include "viewer.h"

#include "GLSL_helper.h"
#include "camera.h"
#include "paths.h"

#include <GL/glu.h>
#include <GL/glut.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <cstdio>
#include <iostream>

int GW, GH;
int ShadeProg;

static const int windowSize = 1024;
static const int windowPosition = 100;
static const int initialViewport = 500;
static const double fieldOfView = 60;
static const double nearPlane = 0.1;
static const double farPlane = 500;

// Loads the projection for the given aspect and returns to the model view.
static void setProjection(float aspect)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfView, aspect, nearPlane, farPlane);
    glMatrixMode(GL_MODELVIEW);
}

bool Initialize()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    return true;
}

// Compiles one shader between its brackets on standard error, printing its
// info log on standard output. A missing text is never handed to GL: it
// counts as a failed compile.
static GLint compileShader(GLuint shader, const char *text, const char *label)
{
    GLint compiled = GL_FALSE;
    std::cerr << label << "{";
    if (text != NULL) {
        glCompileShader(shader);
        printOglError(__FILE__, __LINE__);
        glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
        printShaderInfoLog(shader);
    }
    std::cerr << "}" << std::endl;
    return compiled;
}

static const char *verdict(GLint compiled)
{
    return compiled ? "succeeded" : "failed";
}

bool InstallShader(const char *vShaderText, const char *fShaderText)
{
    GLuint VertVS = glCreateShader(GL_VERTEX_SHADER);
    GLuint FragFS = glCreateShader(GL_FRAGMENT_SHADER);
    if (vShaderText != NULL)
        glShaderSource(VertVS, 1, &vShaderText, NULL);
    if (fShaderText != NULL)
        glShaderSource(FragFS, 1, &fShaderText, NULL);

    GLint vCompiled = compileShader(VertVS, vShaderText, "Vertex Shader");
    GLint fCompiled = compileShader(FragFS, fShaderText, "Fragment Shader");
    if (!vCompiled || !fCompiled) {
        printf("Error compiling the shader -- vertex: %s; frag: %s.",
               verdict(vCompiled), verdict(fCompiled));
        return false;
    }

    ShadeProg = glCreateProgram();
    glAttachShader(ShadeProg, VertVS);
    glAttachShader(ShadeProg, FragFS);
    glLinkProgram(ShadeProg);
    printOglError(__FILE__, __LINE__);
    GLint linked = GL_FALSE;
    glGetProgramiv(ShadeProg, GL_LINK_STATUS, &linked);
    printProgramInfoLog(ShadeProg);
    if (!linked)
        return false;

    puts("sucessfully installed shader");
    return true;
}

// Writes the four camera lines of a frame to standard error.
static void printCamera()
{
    std::cerr << "eye <" << eye.x << " " << eye.y << " " << eye.z << ">"
              << std::endl;
    std::cerr << "gaze: <" << la.x - eye.x << " " << la.y - eye.y << " "
              << la.z - eye.z << ">" << std::endl;
    std::cerr << "up <" << up.x << " " << up.y << " " << up.z << ">"
              << std::endl;
    std::cerr << "theta = " << theta << " phi = " << phi << "\n";
}

void display()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // The matrix under this push is always the identity: nothing changes
    // the model view outside push and pop pairs.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    gluLookAt(eye.x, eye.y, eye.z, la.x, la.y, la.z, up.x, up.y, up.z);
    printCamera();

    glPushMatrix();
    std::cout << "using a shader" << std::endl;
    DrawCube();
    glPopMatrix();
    glPopMatrix();

    glutSwapBuffers();
}

void reshape(int w, int h)
{
    GW = w;
    GH = h;
    setProjection(viewAspect(w, h));
    glViewport(0, 0, w, h);
    glutPostRedisplay();
}

void keyboard(unsigned char key, int, int)
{
    std::cerr << std::endl;
    cameraKey(key);
    std::cerr << std::endl;
    glutPostRedisplay();
}

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed, so that
// no later open takes its number: were the X connection to become
// descriptor 1 or 2, the program's reports would go into the protocol
// stream. open() takes the lowest free number, which is the closed one,
// since those below it are open by then.
static void fillClosedStandardStreams()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF)
            open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    }
}

int main(int argc, char **argv)
{
    fillClosedStandardStreams();

    // The diagnostics on standard output are read as they come, also
    // through a pipe.
    setvbuf(stdout, NULL, _IOLBF, 0);

    // Files are found relative to the program's own directory; should it
    // not be enterable, the working directory simply stays as it was.
    int entered = chdir(findMyPath(argv[0]));
    (void)entered;

    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_ALPHA | GLUT_DEPTH);
    glutInitWindowSize(windowSize, windowSize);
    glutInitWindowPosition(windowPosition, windowPosition);
    glutCreateWindow("Interior Mapping");
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);

    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyboard);

    setProjection(1.0f);
    glViewport(0, 0, initialViewport, initialViewport);
    GW = GH = initialViewport;

    resetCamera();
    keyboard(0, 0, 0);   // derives la from the initial angles

    loadTextureSets();

    Initialize();
    getGLversion();

    char *fShaderText = textFileRead("FLight.glsl");
    char *vShaderText = textFileRead("VLight.glsl");
    if (InstallShader(vShaderText, fShaderText)) {
        glutMainLoop();
        return 0;
    }
    puts("\nError installing shader!");
    return 0;
}
