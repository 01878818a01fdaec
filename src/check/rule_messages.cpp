#include "rule_messages.h"
