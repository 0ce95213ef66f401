#include "data/mkbrecs.h"

TMKBRec MKBRecs[MKBRecCapacity];
