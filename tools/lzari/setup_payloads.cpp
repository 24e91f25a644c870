#include "setup_payloads.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <stdexcept>

#include "fatal_codes.h"
#include "payload_checks.h"
#include "pe_resources.h"

namespace {

[[noreturn]] void fail(const std::string& path, const std::string& reason)
{
    throw std::runtime_error(path + ": " + reason);
}

// PAYLOADCRC's records by upper-case name.
std::map<std::string, PayloadCheck> checksOf(const PeResources& resources, const std::string& path,
                                             SetupContents* contents)
{
    contents->checksummed = false;
    std::map<std::string, PayloadCheck> checks;
    for (const RawDataResource& resource : resources.rawData) {
        if (upperCaseName(resource.name) != payloadChecksName) continue;
        if (contents->checksummed) fail(path, std::string(payloadChecksName) + " given twice");
        contents->checksummed = true;
        contents->checks = resource.data;
        contents->checksSize = resource.size;
        try {
            for (const PayloadCheck& record : listPayloadChecks(resource.data, resource.size))
                checks[upperCaseName(record.name)] = record;
        } catch (const std::runtime_error& error) {
            fail(path, error.what());
        }
    }
    return checks;
}

// Resources whose bytes overlap are never built; a hostile program could
// make one small bomb of many names, each decoded anew.
void refuseSharedBytes(const std::vector<SetupPayload>& payloads, const std::string& path)
{
    std::vector<const SetupPayload*> byStart;
    for (const SetupPayload& payload : payloads) byStart.push_back(&payload);
    std::stable_sort(byStart.begin(), byStart.end(),
                     [](const SetupPayload* a, const SetupPayload* b) { return a->container < b->container; });
    for (size_t i = 1; i < byStart.size(); i++)
        if (byStart[i]->container < byStart[i - 1]->container + byStart[i - 1]->size)
            fail(path, "resources " + printableName(byStart[i - 1]->name) + " and " + printableName(byStart[i]->name) +
                           " share their bytes, as no build makes them");
}

// How a problem's line ends: what the installer itself would do.
std::string stopsWith(int code) { return "; the installer stops with " + std::to_string(code); }

std::string hex32(uint32_t value)
{
    char text[16];
    snprintf(text, sizeof text, "%08X", value);
    return text;
}

}  // namespace

std::vector<PayloadCheck> listPayloadChecks(const uint8_t* records, uint32_t size)
{
    std::vector<PayloadCheck> list;
    std::set<std::string> names;
    PayloadCheck record;
    for (uint32_t at = 0; at < size;) {
        uint32_t start = at;
        if (const char* fault = readPayloadCheck(records, size, &at, &record))
            throw std::runtime_error(std::string(payloadChecksName) + ": " + fault + " at byte " + std::to_string(at));
        if (!names.insert(upperCaseName(record.name)).second)
            throw std::runtime_error(std::string(payloadChecksName) + ": " + printableName(record.name) +
                                     " given twice at byte " + std::to_string(start));
        list.push_back(record);
    }
    return list;
}

SetupContents readSetupContents(const uint8_t* program, size_t size, const std::string& path)
{
    PeResources resources;
    try {
        resources = readRawDataResources(program, size);
    } catch (const PeFormatError& error) {
        fail(path, error.what());
    }
    SetupContents contents;
    contents.signing = resources.signing;
    std::map<std::string, PayloadCheck> checks = checksOf(resources, path, &contents);
    std::set<std::string> names;
    for (const RawDataResource& resource : resources.rawData) {
        std::string key = upperCaseName(resource.name);
        if (key == payloadChecksName) continue;
        // Windows finds a resource whatever the case of the name asked for,
        // so two that differ only in case (or language) are one too many.
        if (!names.insert(key).second) fail(path, "resource " + printableName(resource.name) + " given twice");
        SetupPayload payload{resource.name, resource.data, resource.size};
        auto record = checks.find(key);
        // The record keeps the file's own name, which the resource compiler
        // turned to upper case: the name the installer writes.
        if (record != checks.end()) payload.name = record->second.name;
        contents.payloads.push_back(payload);
    }
    if (contents.payloads.empty()) fail(path, "carries no payload resources");
    refuseSharedBytes(contents.payloads, path);
    if (!contents.checksummed) contents.problems.push_back(path + ": carries no " + payloadChecksName + stopsWith(cantFindResource.code));
    for (const auto& [name, record] : checks)
        if (!names.count(name))
            contents.problems.push_back(path + ": " + payloadChecksName + " has a record for " + printableName(name) +
                                        ", which the program does not carry" + stopsWith(cantFindResource.code));
    return contents;
}

DecodedPayload decodePayload(const SetupPayload& payload, const SetupContents& contents, const std::string& path)
{
    DecodedPayload decoded{judgePayload(payload.container, payload.size, payload.name.c_str(), contents.checks,
                                        contents.checksSize),
                           nullptr, PayloadFields{}, ""};
    const PayloadVerdict& verdict = decoded.verdict;
    decoded.data.reset(verdict.container.decoded.data);
    decoded.fields = verdict.container.fields;
    if (!verdict.code) return decoded;
    std::string reason = verdict.reason;
    if (verdict.code == resourceDamaged.code && verdict.recorded)
        reason = "CRC-32 of the decoded bytes is " + hex32(verdict.crc) + ", " + payloadChecksName + " says " +
                 hex32(verdict.recordedCrc);
    decoded.problem = path + ": " + printableName(payload.name) + ": " + reason + stopsWith(verdict.code);
    return decoded;
}

DecodedPayload trustedPayload(const SetupPayload& payload, const SetupContents& contents, const std::string& path)
{
    DecodedPayload decoded = decodePayload(payload, contents, path);
    if (!decoded.problem.empty()) throw std::runtime_error(decoded.problem);
    return decoded;
}

void checkPayloadNames(const SetupContents& contents, const std::string& path, const std::string& folder)
{
    for (const SetupPayload& payload : contents.payloads)
        if (!staysInItsFolder(payload.name))
            fail(path, "resource name \"" + printableName(payload.name) + "\" could name a file outside " + folder +
                           "; nothing done");
}
