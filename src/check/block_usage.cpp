#include "block_usage.h"
