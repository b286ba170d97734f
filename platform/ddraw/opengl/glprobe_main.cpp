// heliotropic-glprobe: answers, in its exit status, whether this machine's OpenGL can run the
// hardware device (see glprobe.h).
#include "ddraw/opengl/glprobe.h"

int main() { return opengl::ExitStatusOf(opengl::ProbeHere()); }
