# cmake -DINPUT=file -DOUTPUT=source.cpp -DNAMESPACE=ns -DSYMBOL=name -P EmbedFile.cmake
#
# Writes a C++ source that defines the bytes of INPUT as
#   extern const unsigned char SYMBOL[];  extern const std::size_t SYMBOLSize;
foreach(var INPUT OUTPUT NAMESPACE SYMBOL)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "EmbedFile.cmake needs -D${var}=...")
    endif()
endforeach()

file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR byteCount "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n" bytes "${bytes}")

file(WRITE "${OUTPUT}"
"// Generated from ${INPUT} by EmbedFile.cmake; do not edit.
#include <cstddef>

namespace ${NAMESPACE} {

extern const unsigned char ${SYMBOL}[];
extern const std::size_t ${SYMBOL}Size;

const unsigned char ${SYMBOL}[] = {
${bytes}
};
const std::size_t ${SYMBOL}Size = ${byteCount};

}  // namespace ${NAMESPACE}
")
