// Runs printOglError in a real GL context: first with no error pending, then
// with two errors pending. Mesa keeps a single error flag, so this program
// models a driver with several flags: glGetError is wrapped at link time
// (-Wl,--wrap=glGetError) and the real errors of two bad calls are queued in
// the order they happened.
#include "GLSL_helper.h"

#include <GL/glut.h>

#include <cstdio>

extern "C" GLenum __real_glGetError();

static GLenum pending[2];
static int queued = 0, taken = 0;

extern "C" GLenum __wrap_glGetError()
{
    return taken < queued ? pending[taken++] : __real_glGetError();
}

// Keeps the error a call just raised, as a driver with one flag per error
// kind would.
static void queueError()
{
    pending[queued++] = __real_glGetError();
}

int main(int argc, char **argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("gl error probe");

    fprintf(stderr, "no error: %d\n", printOglError("probe.cpp", 1));

    glEnable(0x1234);            // GL_INVALID_ENUM
    queueError();
    glViewport(0, 0, -1, -1);    // GL_INVALID_VALUE
    queueError();
    fprintf(stderr, "two errors: %d\n", printOglError("probe.cpp", 2));
    fprintf(stderr, "after draining: %d\n", printOglError("probe.cpp", 3));
    return 0;
}
