// Compiled with the include roots of the values stage alone, as that stage
// is built: its own header is found, one of a stage above it is not.
#include "values/transform.h"
#include "scene/flattener.h"
