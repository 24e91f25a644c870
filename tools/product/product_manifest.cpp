#include "product_manifest.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>

#include "file_time_text.h"
#include "folder_rules.h"
#include "install_limits.h"
#include "names.h"
#include "dialog_texts.h"
#include "payload_checks.h"  // payloadChecksName, which no payload may take
#include "unicode_text.h"

namespace {

struct Refusal {
    const std::string& manifest;
    [[noreturn]] void operator()(const std::string& field, const std::string& reason) const
    {
        // One line, whatever the manifest's text held: control characters show as '?'.
        throw std::runtime_error(printableName(manifest + ": " + field + ": " + reason));
    }
};

// `label` names the field in a refusal: a payload's fields carry its number.
std::string requiredText(const toml::table& table, const char* field, const Refusal& refuse, std::string label = "")
{
    if (label.empty()) label = field;
    const toml::node* node = table.get(field);
    if (!node) refuse(label, "missing");
    std::optional<std::string> text = node->value<std::string>();
    if (!text) refuse(label, "must be a text");
    if (text->empty()) refuse(label, "must not be empty");
    // The program holds every text in UTF-16: each must convert whole.
    std::string problem;
    size_t at = 0;
    utf16FromUtf8(*text, &problem, &at);
    if (!problem.empty()) refuse(label, "byte " + std::to_string(at + 1) + " is " + problem);
    return *text;
}

bool isFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string folderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// An existing file, relative paths taken from the manifest's folder.
std::string existingFile(const std::string& base, const std::string& path, const std::string& field,
                         const Refusal& refuse)
{
    std::string full = !path.empty() && path[0] == '/' ? path : base + "/" + path;
    if (!isFile(full)) refuse(field, "no such file: " + full);
    return full;
}


// The logo is drawn from its pixels as they lie: a bitmap file whose
// header is the 40-byte kind, 24 or 32 bits a pixel, uncompressed, with no
// colour table.
void checkLogo(const std::string& path, const Refusal& refuse)
{
    std::ifstream file(path, std::ios::binary);
    unsigned char header[54] = {};
    file.read(reinterpret_cast<char*>(header), sizeof header);
    auto le32 = [&](int at) { return readLittleEndian32(header + at); };
    auto le16 = [&](int at) { return unsigned(header[at] | header[at + 1] << 8); };
    if (file.gcount() < 54 || header[0] != 'B' || header[1] != 'M') refuse("logo", "not a bitmap (.bmp) file");
    if (le32(14) != 40) refuse("logo", "the bitmap's header must be the 40-byte BITMAPINFOHEADER");
    unsigned bits = le16(28);
    if (bits != 24 && bits != 32) refuse("logo", "must have 24 or 32 bits a pixel, not " + std::to_string(bits));
    if (le32(30) != 0) refuse("logo", "must be uncompressed");
    if (le32(46) != 0 || le32(10) != 54) refuse("logo", "must have no colour table");
}

void checkIcon(const std::string& path, const Refusal& refuse)
{
    std::ifstream file(path, std::ios::binary);
    unsigned char header[6] = {};
    file.read(reinterpret_cast<char*>(header), sizeof header);
    if (file.gcount() < 6 || header[0] || header[1] || header[2] != 1 || header[3] || (!header[4] && !header[5]))
        refuse("icon", "not an icon (.ico) file");
}

// The information text as the dialog shows it: the format without its
// placeholders, and the three values, in UTF-16 units.
size_t informationLength(const ProductManifest& product)
{
    size_t length = utf16Length(product.texts[0]);
    for (const char* placeholder : informationPlaceholders) length -= strlen(placeholder);
    return length + utf16Length(product.productVersion) + utf16Length(product.productName) +
           utf16Length(product.productDescription);
}

void checkTexts(ProductManifest& product, const Refusal& refuse)
{
    size_t infoLength = informationLength(product);
    if (infoLength >= infoTextSize)
        refuse("productDescription", "the information text (\"This program will install\", the version, the name "
                                     "and the description) has " + std::to_string(infoLength) +
                                         " characters; the dialog holds " + std::to_string(infoTextSize - 1));
    if (std::string fault = windowsFileNameFault(product.productName); !fault.empty())
        refuse("productName", "names the shortcuts, so it must be a file name: " + fault);
    if (std::string fault = windowsFileNameFault(product.groupName); !fault.empty())
        refuse("groupName", "must be one folder's name: " + fault);
    if (utf16Length(product.groupName) > 255) refuse("groupName", "longer than 255 characters");
    if (utf16Length(product.dialogTitle) > 127) refuse("dialogTitle", "longer than 127 characters");
    if (utf16Length(product.defaultFolder) > 259) refuse("defaultFolder", "longer than 259 characters");
    std::string folder = product.defaultFolder;  // the rules read UTF-8 byte by byte: no sequence holds ':' or '\\'
    if (!validateFolderText(&folder[0]) || folder.c_str() != product.defaultFolder)
        refuse("defaultFolder", "must be a folder below a drive's root, as C:\\Maker\\Product");
    // Each of its folders one the file system takes: the installer could
    // not create it, and its install button would do nothing.
    for (size_t from = 3, to; from < product.defaultFolder.size(); from = to + 1) {
        to = std::min(product.defaultFolder.find('\\', from), product.defaultFolder.size());
        std::string folderName = product.defaultFolder.substr(from, to - from);
        if (std::string fault = windowsFileNameFault(folderName); !fault.empty())
            refuse("defaultFolder", "\"" + folderName + "\" is no folder name Windows allows: " + fault);
    }
}

// The dialog's own words: the manifest's [texts] in place of the English,
// each key one the dialog has, the information text with its three
// placeholders once each and no other brace (the program fills it in by
// them), the survey's words short enough for their lines.
// The index of the dialog's text `key`, or the count when it has none.
size_t dialogTextIndex(std::string_view key)
{
    size_t index = 0;
    while (index < std::size(dialogTexts) && dialogTexts[index].key != key) index++;
    return index;
}

void readDialogTexts(const toml::table& table, ProductManifest& product, const Refusal& refuse)
{
    for (const DialogText& text : dialogTexts) product.texts.push_back(text.english);
    const toml::node* node = table.get("texts");
    if (!node) return;
    const toml::table* texts = node->as_table();
    if (!texts) refuse("texts", "must be a [texts] table");
    for (const auto& [key, value] : *texts) {
        size_t index = dialogTextIndex(key.str());
        std::string label = "texts." + std::string(key.str());
        if (index == std::size(dialogTexts)) refuse(label, "the dialog has no such text");
        product.texts[index] = requiredText(*texts, dialogTexts[index].key, refuse, label);
        if (utf16Length(product.texts[index]) > 255) refuse(label, "longer than 255 characters");
    }
    std::string rest = product.texts[0];
    for (const char* placeholder : informationPlaceholders) {
        size_t at = rest.find(placeholder);
        if (at == std::string::npos || rest.find(placeholder, at + 1) != std::string::npos)
            refuse("texts.information", std::string("must hold ") + placeholder + " once");
        rest.erase(at, strlen(placeholder));
    }
    if (rest.find_first_of("{}") != std::string::npos)
        refuse("texts.information", "holds a brace that is none of {version}, {name} and {description}");
    for (const char* word : {"operatingSystem", "unsupportedSystem", "architecture", "unsupportedArchitecture"}) {
        if (utf16Length(product.texts[dialogTextIndex(word)]) > surveyWordLimit)
            refuse(std::string("texts.") + word, "longer than " + std::to_string(surveyWordLimit) + " characters");
    }
}

// The version as Windows' version information holds it: up to four
// numbers of 0 to 65535, separated by dots; those left out are 0.
void readVersionNumbers(ProductManifest& product, const Refusal& refuse)
{
    const std::string parts = product.productVersion + ".";
    size_t count = 0;
    for (unsigned& number : product.versionNumbers) number = 0;
    for (size_t at = 0, dot; (dot = parts.find('.', at)) != std::string::npos; at = dot + 1) {
        std::string part = parts.substr(at, dot - at);
        if (count == 4 || part.empty() || part.size() > 5 || part.find_first_not_of("0123456789") != std::string::npos ||
            std::stoul(part) > 65535)
            refuse("productVersion", "must be up to four numbers of 0 to 65535 with dots between, as 6.10 or 1.2.3.4");
        product.versionNumbers[count++] = unsigned(std::stoul(part));
    }
}

// An optional text; the fallback when the manifest has none.
std::string optionalText(const toml::table& table, const char* field, const Refusal& refuse, const std::string& fallback)
{
    return table.get(field) ? requiredText(table, field, refuse) : fallback;
}

ProductPayload readPayload(const toml::table& row, size_t index, const std::string& base, const std::string& build,
                           const Refusal& refuse)
{
    std::string field = "payload " + std::to_string(index + 1);
    ProductPayload payload;
    payload.name = requiredText(row, "name", refuse, field + ": name");
    if (std::string fault = windowsFileNameFault(payload.name); !fault.empty())
        refuse(field, "name \"" + payload.name + "\" must be a file name Windows allows, with no folder part: " + fault);
    if (utf16Length(payload.name) > 255) refuse(field, "name longer than 255 characters, the most a file name may have");
    // The build lists names in CMake, where ";" parts a list, and the check
    // values have a resource of their own.
    if (payload.name.find(';') != std::string::npos || upperCaseName(payload.name) == payloadChecksName)
        refuse(field, "name \"" + payload.name + "\" cannot be carried: a \";\" or the name of the check values");
    std::string source = requiredText(row, "source", refuse, field + ": source");
    if (source.rfind("${BUILD}", 0) == 0) payload.source = build + source.substr(8);
    else payload.source = existingFile(base, source, field + " (" + payload.name + ")", refuse);
    std::string time = requiredText(row, "time", refuse, field + ": time");
    if (time != "file") {
        payload.time = parseFileTime(time);
        if (!payload.time) refuse(field, "time \"" + time + "\" is neither YYYY-MM-DD HH:MM:SS (UTC) nor \"file\"");
    }
    return payload;
}

// The installer holds every payload twice at once: packed, in the program
// it maps, and decoded, each file in a block of its own. A 32-bit process
// on 32-bit Windows has 2 GiB of address space, which the system's DLLs,
// the stacks and heaps and the gaps between them leave about half of in
// pieces that large; a packed payload is at most about its file's size
// (incompressible data). So the files may come to half of 1 GiB.
constexpr uint64_t heldPayloadLimit = uint64_t(1) << 30;

void checkMemoryNeeded(const std::vector<ProductPayload>& payloads, const Refusal& refuse)
{
    uint64_t total = 0;
    struct stat info;
    for (const ProductPayload& payload : payloads)
        if (stat(payload.source.c_str(), &info) == 0) total += uint64_t(info.st_size);  // a build's file counts once made
    if (2 * total > heldPayloadLimit)
        refuse("payload", "the files come to " + std::to_string(total) + " bytes, held packed and decoded at once: " +
                              std::to_string(2 * total) + " bytes is more than the " + std::to_string(heldPayloadLimit) +
                              " a 32-bit installer can count on under 32-bit Windows");
}

}  // namespace

ProductManifest readProductManifest(const std::string& path, const std::string& buildFolder)
{
    Refusal refuse{path};
    // A folder would read as a manifest with no fields at all.
    if (!isFile(path)) throw std::runtime_error(path + ": no such manifest file");
    toml::table table;
    try {
        table = toml::parse_file(path);
    } catch (const toml::parse_error& error) {
        refuse("line " + std::to_string(error.source().begin.line), std::string(error.description()));
    }
    ProductManifest product;
    product.productName = requiredText(table, "productName", refuse);
    product.productVersion = requiredText(table, "productVersion", refuse);
    product.defaultFolder = requiredText(table, "defaultFolder", refuse);
    product.groupName = requiredText(table, "groupName", refuse);
    product.productDescription = requiredText(table, "productDescription", refuse);
    product.dialogTitle = requiredText(table, "dialogTitle", refuse);
    product.publisher = optionalText(table, "publisher", refuse, product.groupName);
    product.copyright = optionalText(table, "copyright", refuse, "");
    readDialogTexts(table, product, refuse);
    checkTexts(product, refuse);
    readVersionNumbers(product, refuse);
    std::string compression = optionalText(table, "compression", refuse, "best");
    if (compression != "best" && compression != "standard")
        refuse("compression", "must be \"best\" or \"standard\", not \"" + compression + "\"");
    product.bestCompression = compression == "best";

    std::string base = folderOf(path);
    product.logo = existingFile(base, requiredText(table, "logo", refuse), "logo", refuse);
    checkLogo(product.logo, refuse);
    product.icon = existingFile(base, requiredText(table, "icon", refuse), "icon", refuse);
    checkIcon(product.icon, refuse);

    const toml::array* rows = table.get_as<toml::array>("payload");
    if (!rows || rows->empty()) refuse("payload", "at least one [[payload]] is needed");
    std::set<std::string> names;
    for (size_t i = 0; i < rows->size(); i++) {
        const toml::table* row = (*rows)[i].as_table();
        if (!row) refuse("payload " + std::to_string(i + 1), "must be a [[payload]] table");
        ProductPayload payload = readPayload(*row, i, base, buildFolder, refuse);
        // Resources are found without regard to case: two names that
        // differ only in case would be one resource.
        if (!names.insert(upperCaseName(payload.name)).second)
            refuse("payload " + std::to_string(i + 1), "name \"" + payload.name + "\" is given twice (letter case aside)");
        product.payloads.push_back(payload);
    }
    checkMemoryNeeded(product.payloads, refuse);
    // The shortcuts point at the product's name with ".EXE" in the install
    // folder: the first row must be that file.
    if (upperCaseName(product.payloads[0].name) != upperCaseName(product.productName + ".EXE"))
        refuse("payload 1", "the shortcuts start " + product.productName + ".EXE, so the first payload must be it, not \"" +
                                product.payloads[0].name + "\"");
    return product;
}
