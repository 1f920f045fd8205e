// shader_constants: prints, as GLSL 1.10 declarations, the constants that the
// shader pair must share with the textures. The build joins the output into
// both stages, so the numbers are written only in texture_layout.h.
#include "texture_layout.h"

#include <cstdio>
#include <cstring>
#include <string>

// A GLSL float literal: GLSL 1.10 turns no integer into a float by itself.
std::string glslFloat(double x) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", x);
    if (!std::strpbrk(text, ".e"))
        std::strcat(text, ".0");
    return text;
}

int main() {
    std::puts("// Written by the build from texture_layout.h: what the shader pair");
    std::puts("// agrees on with the textures.");
    for (const texlayout::ShaderConstant &c : texlayout::kShaderConstants) {
        if (c.size == 1) {
            std::printf("const float %s = %s;", c.name, glslFloat(c.value[0]).c_str());
        } else {
            std::string values;
            for (int k = 0; k < c.size; ++k)
                values += (k ? ", " : "") + glslFloat(c.value[k]);
            std::printf("const vec%d %s = vec%d(%s);", c.size, c.name, c.size, values.c_str());
        }
        std::printf(" // %s\n", c.meaning);
    }
    return 0;
}
