// How assistive technology sees a document's text view. The text widget's own accessible
// interface counts the characters from the start of the text on every caret move and every
// edit, which on a movie's text of 100 MB takes longer than a second each time; the views are
// given a plain accessible interface instead (an editable text without its contents).
#pragma once

namespace vorn {

// Installs that interface for every text view made from now on. Call once a text view exists,
// so that it takes precedence over the text widget's own. Safe to call more than once.
void useLightTextAccessibility();

} // namespace vorn
