#include "Devices.h"

void ShowError(Devices& devices, const std::string& text) {
    devices.services.system->MessageBox(text.c_str(), "Error");
}
