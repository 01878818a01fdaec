#include "rule_checker.h"
