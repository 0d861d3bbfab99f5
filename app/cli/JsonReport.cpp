#include "JsonReport.h"

#include <nlohmann/json.hpp>

namespace zort::cli {

namespace {

std::string utf8(const QString &text)
{
    return text.toStdString();
}

nlohmann::ordered_json entryJson(const ReportBlock &block)
{
    nlohmann::ordered_json captions = nlohmann::ordered_json::array();
    if (block.recognised && block.hasCaptions) {
        captions.push_back(utf8(block.formNameCaption));
        captions.push_back(utf8(block.nameCaption));
    }
    nlohmann::ordered_json failed = nlohmann::ordered_json::array();
    for (const FailedCheck &check : block.failedChecks) {
        failed.push_back({{"ID_Form", utf8(check.idForm)},
                          {"ID_Section", utf8(check.idSection)},
                          {"ID_Rule", utf8(check.idRule)},
                          {"ID_Check", utf8(check.idCheck)},
                          {"Name", utf8(check.name)}});
    }
    return {{"path", utf8(block.path)},
            {"code", utf8(block.code)},
            {"recognised", block.recognised},
            {"captions", std::move(captions)},
            {"failedChecks", std::move(failed)}};
}

} // namespace

std::string jsonReport(const std::vector<ReportBlock> &blocks)
{
    nlohmann::ordered_json entries = nlohmann::ordered_json::array();
    for (const ReportBlock &block : blocks)
        entries.push_back(entryJson(block));
    const nlohmann::ordered_json report = {{"entries", std::move(entries)}};
    // A text that is not valid UTF-8 cannot come from QString; replace keeps dump() from
    // throwing should one ever arrive.
    return report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace zort::cli
