#pragma once
// The pieces of the window that other folders provide, where they are present.
#if __has_include("main/ui/searchpage.h") && __has_include("main/ui/addpage.h")
#include "main/ui/addpage.h"
#include "main/ui/searchpage.h"
#define SNIPPARY_HAVE_PAGES 1
#else
#define SNIPPARY_HAVE_PAGES 0
#endif
#if __has_include("export/ui/frmexport.h")
#include "export/ui/frmexport.h"
#define SNIPPARY_HAVE_EXPORT_DIALOG 1
namespace snippary { using ExportDialog = exporting::frmExport; }
#else
#define SNIPPARY_HAVE_EXPORT_DIALOG 0
#endif
#if __has_include("about/ui/frmabout.h")
#include "about/ui/frmabout.h"
#define SNIPPARY_HAVE_ABOUT 1
#else
#define SNIPPARY_HAVE_ABOUT 0
#endif
