// The exported interface of the Pictconv converter library, for C++ callers
// inside the project: the six converters of pictconv/pictconv_c.h (the C
// header installed for other programs, which documents their contract) and
// the function pointer type for callers that bind the library by name.
#pragma once

#include "pictconv/pictconv_c.h"

// The shape of every converter, for callers that bind the library by name.
using FormatConverterFn = bool(PICTCONV_CALL*)(const char*, const char*);
