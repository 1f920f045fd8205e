#include "GLSL_helper.h"

#include "regular_file.h"

#include <GL/glext.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int printOglError(const char *file, int line)
{
    int retCode = 0;
    GLenum glErr = glGetError();
    while (glErr != GL_NO_ERROR) {
        printf("glError in file %s @ line %d: %s\n", file, line,
               reinterpret_cast<const char *>(gluErrorString(glErr)));
        retCode = 1;
        glErr = glGetError();
    }
    return retCode;
}

// The two info-log printers differ only in the GL calls and the heading, so
// they share this body.
typedef void (*InfoLengthQuery)(GLuint, GLenum, GLint *);
typedef void (*InfoLogQuery)(GLuint, GLsizei, GLsizei *, GLchar *);

static void printInfoLog(GLuint object, InfoLengthQuery queryLength,
                         InfoLogQuery queryLog, const char *heading)
{
    GLint infologLength = 0;
    GLsizei charsWritten = 0;

    printOglError(__FILE__, __LINE__);
    queryLength(object, GL_INFO_LOG_LENGTH, &infologLength);
    printOglError(__FILE__, __LINE__);

    if (infologLength > 0) {
        GLchar *infoLog = static_cast<GLchar *>(malloc(infologLength));
        if (infoLog == NULL) {
            puts("\nERROR: Could not allocate InfoLog buffer");
            exit(1);
        }
        queryLog(object, infologLength, &charsWritten, infoLog);
        printf("\n%s InfoLog:\n%s\n", heading, infoLog);
        free(infoLog);
    }
    printOglError(__FILE__, __LINE__);
}

void printShaderInfoLog(GLuint shader)
{
    printInfoLog(shader, glGetShaderiv, glGetShaderInfoLog, "Shader");
}

void printProgramInfoLog(GLuint program)
{
    printInfoLog(program, glGetProgramiv, glGetProgramInfoLog, "Program");
}

int getUniLoc(GLuint program, const char *name)
{
    printOglError(__FILE__, __LINE__);
    GLint loc = glGetUniformLocation(program, name);
    if (loc < 0)
        printf("No such uniform named %s\n", name);
    printOglError(__FILE__, __LINE__);
    return loc;
}

int parseGLversion(const char *version, int *major, int *minor)
{
    if (version == NULL)
        return 0;
    int read = sscanf(version, "%d.%d", major, minor);
    return read < 0 ? 0 : read;   // EOF on an empty string reads nothing
}

void getGLversion()
{
    int major = 0, minor = 0;
    const char *verstr = reinterpret_cast<const char *>(glGetString(GL_VERSION));

    if (parseGLversion(verstr, &major, &minor) != 2)
        printf("Invalid GL_VERSION format %d %d\n", major, minor);

    if (major <= 1) {
        printf("This shader example will not work due to OpenGL version, "
               "which is %d.%d (%s)\n",
               major, minor, verstr ? verstr : "no version string");
        exit(0);
    }
}

char *textFileRead(const char *fn)
{
    if (fn == NULL)
        return NULL;
    FILE *fp = openRegularFile(fn);
    if (fp == NULL)
        return NULL;

    char *content = NULL;
    long count = -1;
    if (fseek(fp, 0, SEEK_END) == 0) {
        count = ftell(fp);
        rewind(fp);
    }
    if (count > 0) {
        content = static_cast<char *>(malloc(static_cast<size_t>(count) + 1));
        if (content != NULL) {
            size_t got = fread(content, 1, static_cast<size_t>(count), fp);
            content[got] = '\0';
        }
    }
    fclose(fp);
    return content;
}

int textFileWrite(const char *fn, const char *s)
{
    if (fn == NULL)
        return 0;
    FILE *fp = fopen(fn, "w");
    if (fp == NULL)
        return 0;
    size_t len = strlen(s);
    int status = fwrite(s, 1, len, fp) == len ? 1 : 0;
    if (fclose(fp) != 0)
        status = 0;
    return status;
}
