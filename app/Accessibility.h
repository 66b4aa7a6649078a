#pragma once
// What the window tells assistive technology (screen readers read it through
// AT-SPI) beyond what it draws: which caption names which box, the number of
// hits, and the count line as a status. Nothing here changes what is shown or
// how anything behaves.

namespace telvara {

class TelvaraMain;

// Call once the controls exist and before the handlers first set captions.
void ExposeToAssistiveTech(TelvaraMain& window);

}  // namespace telvara
