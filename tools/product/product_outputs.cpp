#include "product_outputs.h"

#include <cstdio>
#include <iterator>

#include "dialog_texts.h"
#include "file_time_text.h"
#include "names.h"

namespace {

std::string cmakeString(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"' || c == '$') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string define(const char* name, const std::string& value) { return std::string("#define ") + name + " " + value + "\n"; }

}  // namespace

std::string cString(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            quoted += '\\';
            quoted += c;
        } else if (c == '\n') {
            quoted += "\\n";
        } else if ((unsigned char)c < 32) {
            char escape[8];
            snprintf(escape, sizeof escape, "\\%03o", (unsigned char)c);
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::string productHeader(const ProductManifest& product)
{
    // Include guards rather than #pragma once: the resource compiler reads
    // this header too. The texts are UTF-8, as the manifest gives them: the
    // resource compiler reads them in that code page, the program's sources
    // make them UTF-16 (L"" TEXT).
    std::string header = "// Written by the build from the product's manifest; do not edit.\n"
                         "#ifndef PRODUCT_CONFIG_H\n#define PRODUCT_CONFIG_H\n";
    header += define("PRODUCT_NAME", cString(product.productName));
    header += define("PRODUCT_VERSION", cString(product.productVersion));
    header += define("PRODUCT_DEFAULT_FOLDER", cString(product.defaultFolder));
    header += define("PRODUCT_GROUP_NAME", cString(product.groupName));
    header += define("PRODUCT_DESCRIPTION", cString(product.productDescription));
    header += define("PRODUCT_DIALOG_TITLE", cString(product.dialogTitle));
    header += define("PRODUCT_LOGO_FILE", cString(product.logo));
    header += define("PRODUCT_ICON_FILE", cString(product.icon));
    // The version information's fields.
    const unsigned* v = product.versionNumbers;
    header += define("PRODUCT_VERSION_NUMBERS", std::to_string(v[0]) + "," + std::to_string(v[1]) + "," +
                                                    std::to_string(v[2]) + "," + std::to_string(v[3]));
    header += define("PRODUCT_PUBLISHER", cString(product.publisher));
    header += define("PRODUCT_COPYRIGHT", cString(product.copyright));
    header += define("PRODUCT_FILE_DESCRIPTION", cString(product.productName + " " + product.productVersion + " Setup"));
    // The dialog's words, the manifest's or the English.
    for (size_t i = 0; i < std::size(dialogTexts); i++) header += define(dialogTexts[i].macro, cString(product.texts[i]));
    // Each row: the file's name and its resource's (upper case, as the
    // resource compiler stores ASCII letters and as Windows compares the
    // rest).
    std::string rows;
    for (const ProductPayload& payload : product.payloads)
        rows += " PRODUCT_PAYLOAD(" + cString(payload.name) + ", " + cString(upperCaseName(payload.name)) + ")";
    header += define("PRODUCT_PAYLOADS", rows.substr(1));
    return header + "#endif\n";
}

std::string productPayloadList(const ProductManifest& product)
{
    std::string lines = "set(_product_art " + cmakeString(product.logo) + " " + cmakeString(product.icon) + ")\n";
    lines += std::string("set(_pack_arguments") + (product.bestCompression ? " --best" : "") + ")\n";
    for (const ProductPayload& payload : product.payloads) {
        lines += "payload(" + cmakeString(upperCaseName(payload.name)) + " " + cmakeString(payload.source) + " " +
                 cmakeString(payload.time ? formatFileTime(*payload.time) : "") + " " + cmakeString(payload.name) +
                 ")\n";
    }
    return lines;
}
