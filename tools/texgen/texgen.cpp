// texgen: the viewer's texture tool.
//   texgen generate TEXTURES       writes the generated textures: for each set
//                                  <set>/exterior.tga (the facade, stored
//                                  bottom row first) and the six cube-map
//                                  faces <set>/<slot>.tga (first stored row =
//                                  GL row t = 0)
//   texgen pictures DIR            writes the generated sets as PNG pictures
//                                  in the layout that import reads
//   texgen import SOURCE TEXTURES  reads one's own pictures into TEXTURES
// The generated textures are procedural with fixed seeds, so every run
// writes the same files. TEXTURES is replaced whole or not at all.
#include "example_pictures.h"
#include "import.h"
#include "picture.h"
#include "render.h"
#include "staging.h"

#include <cstdio>
#include <string>

namespace {

int generate(const std::string &textures) {
    Staging staging;
    std::string why;
    if (!beginStaging(textures, &staging, &why)) {
        std::fprintf(stderr, "texgen: %s\n", why.c_str());
        return 1;
    }
    if (!writeGeneratedTree(staging.dir) || !commitStaging(staging, &why)) {
        std::fprintf(stderr, "texgen: %s: %s\n", textures.c_str(), why.empty() ? "not written" : why.c_str());
        abandonStaging(staging);
        return 1;
    }
    return 0;
}

int pictures(const std::string &dir) {
    startPictureReading(dir);
    const bool ok = writeExamplePictures(dir);
    endPictureReading();
    if (ok)
        std::printf("example pictures written to %s\n", dir.c_str());
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "generate" && argc == 3)
        return generate(argv[2]);
    if (mode == "pictures" && argc == 3)
        return pictures(argv[2]);
    if (mode == "import" && argc == 4)
        return importPictures(argv[2], argv[3]);
    std::fprintf(stderr, "usage: %s generate TEXTURES | pictures DIR | import SOURCE TEXTURES\n", argv[0]);
    return 2;
}
