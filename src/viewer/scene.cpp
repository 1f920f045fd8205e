// The scene of one frame: the sky sphere and the six faces of the building,
// all drawn through the shader pair.
#include "viewer.h"

#include "GLSL_helper.h"
#include "camera.h"

#include <GL/glut.h>

// The unit cube [0, 1]^3; each face counter-clockwise seen from outside,
// corner 0 at its lower left.
const GLfloat cubeVerts[faceCount][4][3] = {
    {{1, 0, 1}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}},   // +X  right
    {{0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {0, 1, 0}},   // -X  left
    {{0, 1, 1}, {1, 1, 1}, {1, 1, 0}, {0, 1, 0}},   // +Y  top
    {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}},   // -Y  bottom
    {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}},   // +Z  front
    {{1, 0, 0}, {0, 0, 0}, {0, 1, 0}, {1, 1, 0}},   // -Z  back
};

const GLfloat cubeNormals[faceCount][3] = {
    {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1},
};

const GLfloat texCoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

static const GLint exteriorUnit = 0;
static const GLint interiorUnit = 1;
static const GLfloat wallFreq[3] = {1, 1, 1};
static const GLfloat lightPos[4] = {2, 2, 2, 1};
static const GLfloat lightColor[4] = {1, 1, 1, 1};
static const GLfloat roomOffset[3] = {0.5f, 0.5f, 0.5f};

static const double skyRadius = 250;
static const int skyDetail = 50;

static GLint uniform(const char *name)
{
    return getUniLoc(ShadeProg, name);
}

static void setUniforms()
{
    glUniform3f(uniform("camPos"), eye.x, eye.y, eye.z);
    glUniform1i(uniform("baseTex"), exteriorUnit);
    glUniform1i(uniform("useWalls"), 0);
    glUniform1i(uniform("wallTex"), interiorUnit);
    glUniform3fv(uniform("wallFreq"), 1, wallFreq);
    glUniform4fv(uniform("lightPos"), 1, lightPos);
    glUniform4fv(uniform("lightColor"), 1, lightColor);
    glUniform3fv(uniform("offset"), 1, roomOffset);
}

// The sky: a large sphere around the building's centre.
static void drawSky()
{
    glPushMatrix();
    glTranslatef(0.5f, 0.5f, 0.5f);
    glutSolidSphere(skyRadius, skyDetail, skyDetail);
    glPopMatrix();
}

static void drawFace(int face)
{
    glActiveTextureARB(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, baseTexID[face]);
    glActiveTextureARB(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeTexID[face]);

    glBegin(GL_POLYGON);
    glNormal3fv(cubeNormals[face]);
    for (int vert = 0; vert < 4; ++vert) {
        glMultiTexCoord2fvARB(GL_TEXTURE0, texCoords[vert]);
        glMultiTexCoord3fvARB(GL_TEXTURE1, cubeVerts[face][vert]);
        glVertex3fv(cubeVerts[face][vert]);
    }
    glEnd();
    glDisable(GL_TEXTURE_CUBE_MAP);
}

void DrawCube()
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_TEXTURE_CUBE_MAP);

    glActiveTextureARB(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeTexID[worldSet]);

    glUseProgram(ShadeProg);
    setUniforms();
    drawSky();

    glUniform1i(uniform("useWalls"), 1);
    for (int face = 0; face < faceCount; ++face)
        drawFace(face);

    glUseProgram(0);
    glDisable(GL_TEXTURE_2D);
}
