// What the program sets on Qt's application object before it shows the window.
#pragma once

namespace window {

// Name "Conversione", version, and the style the fixed geometry is drawn for.
void setUpApplication();

} // namespace window
