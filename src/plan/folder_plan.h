// What would become of the product's install folder, and why.
#ifndef FOLDER_PLAN_H
#define FOLDER_PLAN_H

#include <windows.h>

// Prints what would become of the product's install folder `targetPath` (as stored) once the
// product named `product` is gone; `uninstallerStarts` says whether its uninstaller would start.
// TRUE when the folder would be cleared.
BOOL PrintFolderPlan(const char* targetPath, const char* product, BOOL uninstallerStarts);

#endif
