#include "shellctl/shell_test_support.h"
