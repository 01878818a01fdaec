#include "network_compiler.h"
