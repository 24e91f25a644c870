// What the build makes of a product's manifest: the header that the setup
// program (and its resource script) is compiled with, and the list of
// payloads that the build packs.
#pragma once

#include <string>

#include "product_manifest.h"

// The C header: PRODUCT_NAME, PRODUCT_VERSION, PRODUCT_DEFAULT_FOLDER,
// PRODUCT_GROUP_NAME, PRODUCT_DESCRIPTION, PRODUCT_DIALOG_TITLE,
// PRODUCT_LOGO_FILE, PRODUCT_ICON_FILE, the version information's
// PRODUCT_VERSION_NUMBERS (four, with commas), PRODUCT_PUBLISHER,
// PRODUCT_COPYRIGHT and PRODUCT_FILE_DESCRIPTION, and PRODUCT_PAYLOADS, a
// list of PRODUCT_PAYLOAD(name) for the includer to define.
std::string productHeader(const ProductManifest& product);

// CMake lines: the logo and icon as _product_art, then
// payload("RESOURCE-NAME" "SOURCE" "TIME" "FILE-NAME"), TIME empty for the
// source's own time, in the manifest's order.
std::string productPayloadList(const ProductManifest& product);

// A text as a C (and resource script) string literal, quotes included.
std::string cString(const std::string& text);
