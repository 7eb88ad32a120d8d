#pragma once
// Help > Help page: the page opened in the user's browser, and, when no
// browser could be started or the opener failed, a message with the page's
// full path so the user can open it.
namespace sorn {

void openHelpPage();
// Tells a failure of the opener started last, once it has ended; asked by
// every pass of the frame loop, never waiting for the opener.
void tellHelpPageFailure();

} // namespace sorn
