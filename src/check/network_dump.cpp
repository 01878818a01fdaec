#include "network_dump.h"
