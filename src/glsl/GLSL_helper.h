// GL diagnostics and shader source files.
//
// Every report goes to standard output. Callers of printOglError pass their
// own source position, so that each report names where an error was noticed.
#ifndef GLSL_HELPER_H
#define GLSL_HELPER_H

#include <GL/gl.h>

// Drains GL's error queue, printing one line per error with the given source
// position. Returns 1 if at least one error was printed, else 0.
int printOglError(const char *file, int line);

// Prints a shader's or a program's info log, when it has a non-empty one.
void printShaderInfoLog(GLuint shader);
void printProgramInfoLog(GLuint program);

// Looks up a uniform; reports a name the program lacks and passes the
// negative location on (GL ignores writes to it).
int getUniLoc(GLuint program, const char *name);

// Parses "major.minor..." from a GL_VERSION string. Returns how many of the
// two numbers were read (0, 1 or 2); the outputs keep their values for the
// numbers not read. A null string reads nothing.
int parseGLversion(const char *version, int *major, int *minor);

// Refuses an OpenGL version below 2: prints the version and ends the process
// with status 0. A string that cannot be read counts as version 0.0.
void getGLversion();

// Reads a whole text file into a new NUL-terminated buffer the caller owns.
// A missing, unreadable or empty file yields a null pointer, and so does
// anything that is not a regular file (it is never waited on).
char *textFileRead(const char *fn);

// Writes a whole string to a file (truncating it). Returns 1 only if every
// byte was written.
int textFileWrite(const char *fn, const char *s);

#endif
