#pragma once

#include <vector>

class CFormViewEx;
class PanelHost;

// The panels the drawer shows for a test id, first panel first, by the
// panel table; a class whose panel is not built yet stands as CEff_Dummy.
// Each is constructed with the host and not yet created.
std::vector<CFormViewEx*> EffectSizePanelTable(int testId, PanelHost* host);
