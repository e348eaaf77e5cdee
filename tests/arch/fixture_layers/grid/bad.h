// A lower folder that includes a higher one, for the layer check's own test.
#include "app/main_window.h"
