// The interior-mapping viewer: start-up, the GLUT callbacks, the texture
// sets and the scene.
#ifndef VIEWER_H
#define VIEWER_H

#include <GL/gl.h>

struct TgaImage;

// --- Start-up, shader installation and frame loop (interior_mapping.cpp)
extern int GW, GH;        // window size as last set by start-up or reshape
extern int ShadeProg;     // the linked program object of the shader pair

bool Initialize();
// Compiles both shaders and links them into ShadeProg. A null text counts
// as a shader that failed to compile. True when both compiled and linked.
bool InstallShader(const char *vShaderText, const char *fShaderText);
void display();
void reshape(int w, int h);
void keyboard(unsigned char key, int x, int y);

// --- Texture sets (texture_sets.cpp)
const int setCount = 7;      // six faces of the building and the world
const int cubeSlots = 6;     // cube-map faces per set
const int worldSet = 6;

extern const char *wallnames[setCount];
extern const char *wall_axes[cubeSlots];

extern GLuint *baseTexID;    // per set: the 2D exterior texture
extern TgaImage **baseTex;   // per set: its decoded image (null once uploaded)
extern GLuint *cubeTexID;    // per set: the cube map
extern TgaImage ***cubeTex;  // per set: its six decoded faces (null once uploaded)

// Reads all 49 images and creates the seven 2D textures and seven cube maps.
// Any unreadable file ends the process (through readTga).
void loadTextureSets();

// --- Scene drawing and shader interface (scene.cpp)
const int faceCount = 6;
extern const GLfloat cubeVerts[faceCount][4][3];
extern const GLfloat cubeNormals[faceCount][3];
extern const GLfloat texCoords[4][2];

// Draws the sky sphere and the six faces through ShadeProg.
void DrawCube();

#endif
