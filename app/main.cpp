#include "RidaxoApp.h"

wxIMPLEMENT_APP(CRidaxoApp);
