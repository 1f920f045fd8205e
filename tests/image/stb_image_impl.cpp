// The stb_image decoder, used by the tests as an independent reference.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
