// Identifiers of the executable's resources, shared by the resource script and the code.
#pragma once

// String table
#define IDS_MAIN_CAPTION 1000

// Application manifest (RT_MANIFEST resource 1 of the executable)
#define IDR_MANIFEST 1
