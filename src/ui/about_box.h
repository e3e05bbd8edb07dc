// The About box: the product name in two lines, the version, a status line and "OK".
#pragma once

#include <string>

#include "ui/ui_texts.h"

namespace iec {

struct AboutBoxModel {
    std::string caption = ui_text::kAbout;
    std::string product_line1 = ui_text::kAboutLine1;
    std::string product_line2 = ui_text::kAboutLine2;
    std::string version = ui_text::kVersion;
    std::string status;  // "Конфигуратор для Linux" in configurator mode, else empty
};

inline AboutBoxModel AboutBox(bool config_mode) {
    AboutBoxModel about;
    if (config_mode) about.status = ui_text::kConfiguratorStatus;
    return about;
}

}  // namespace iec
