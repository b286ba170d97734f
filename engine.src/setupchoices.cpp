#include "setupchoices.h"

SetupChoices setupChoices = {0, 0, 1, 1, 1, 0, 0, 0};
