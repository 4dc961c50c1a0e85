#pragma once
// The maker's web address, opened in the user's browser from any page that links to it.

// Nothing is shown when no browser opens.
void OpenMakerWebAddress();
