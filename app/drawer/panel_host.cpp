#include "app/drawer/panel_host.h"

#include "app/widgets/form_view_ex.h"

CFormViewEx* PanelHost::ReplaceDrawerPane(int index, CFormViewEx* view) {
    (void)index;
    // A host without a drawer has no pane to put it in.
    delete view;
    return nullptr;
}
