// The one application object, constructed before WinMain runs.
#include "app/viewer_app.h"

CViewerApp theApp;
