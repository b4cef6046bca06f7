#include "hostapi/host_function_names.h"

namespace zv {

const char* const kHostFunctionNames[kHostFunctionCount] = {
#define ZV_HOST_FUNCTION_NAME(name, called) #name,
    ZV_ALL_HOST_FUNCTIONS(ZV_HOST_FUNCTION_NAME)
#undef ZV_HOST_FUNCTION_NAME
};

}  // namespace zv
