#include "segments.h"

#include "director.h"

void RunCompeAndFigure() {}
