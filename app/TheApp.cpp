// The program's one application object. Kept apart so that tests can make
// their own.
#include "app/KestrelApp.h"

CKestrelApp theApp;
