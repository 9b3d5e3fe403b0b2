// The status object that the page reads as ANON_STATUS: versions, blocking, the
// maker's messages and whether OCR is present; and hiding a message for good.
#pragma once

#include <string>
#include <string_view>

#include "json/json_text.h"
#include "shell/config.h"

namespace verhulzen {

// The object built from the status file `s`, the time `nu` (epoch seconds), the
// edition and the OCR availability {"ocr", "taal"}, which is appended as it is.
Json bouw_status(const Json& s, double nu, bool store, const Json& ocr);

// The status object of this moment: the status file, the clock and the OCR service.
Json huidige_status(const Config& config);

// The OCR service's availability; {"ocr": false, "taal": null} on any failure.
Json ocr_info();

// Adds the message text to the status file's hidden list.
void verberg_bericht(const Config& config, std::string_view tekst);

// The script that sets the page's global status object.
std::string status_script(const Json& status);

}  // namespace verhulzen
