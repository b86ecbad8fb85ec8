// The Go To Line dialog.
#pragma once

namespace vorn {

class CView;

// Asks for a 1-based line number ("Go To Line", "Line:") and puts the view's caret at the
// start of that line, third from the top. A field that is not a number beeps and keeps the
// dialog open; Cancel leaves the view as it was.
void goToLineDialog(CView& view);

} // namespace vorn
