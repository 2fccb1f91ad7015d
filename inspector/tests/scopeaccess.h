// The inspector's row list for the tests of the list itself, and rows whose editors
// no schema yields: neither has a reason to be part of the control's interface.
#pragma once

#include "inspector/nodescope.h"

struct TNodescopeTestAccess {
    static TZEditorList& RowList(TNodescope& Scope) { return *Scope.FRows; }

    // Appends a top-level row, as building the rows would.
    static void AppendRow(TNodescope& Scope, TXMLPropEditor* Editor)
    {
        Scope.FInsertLevel = 0;
        Scope.FInsertIndex = Scope.FRowCount;
        TNodescope::AddRow(&Scope, Editor);
        Scope.FRowCount = Scope.FRows->Count();
    }
};
