#pragma once

namespace sw {

/// Set when the program itself changes a check box or clears an edit box, so that the change event
/// that follows is not taken for a user action.
void SetQuietChange();
/// Returns the flag and clears it; change handlers call it first and do nothing when it is true.
bool TakeQuietChange();

}  // namespace sw
