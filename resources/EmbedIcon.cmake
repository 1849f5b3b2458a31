# cmake -DINPUT=<png> -DOUTPUT=<cpp> -DNAME=<function> -P EmbedIcon.cmake
# Turns an icon file into a function returning its bytes, so no file has to be found at run time.
file(READ ${INPUT} HEX HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," BYTES "${HEX}")
file(WRITE ${OUTPUT}.tmp
"// Generated from ${INPUT}; do not edit.
#include <span>

namespace vortan::resources {
namespace {
const unsigned char kBytes[] = {${BYTES}};
} // namespace
std::span<const unsigned char> ${NAME}() {
    return kBytes;
}
} // namespace vortan::resources
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
