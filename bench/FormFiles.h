#pragma once

#include "FormContent.h"

#include <cstddef>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

namespace zort::bench {

// A generated form, in memory and in a temporary file that goes when the program ends.
struct FormFile
{
    std::vector<std::byte> bytes;
    std::filesystem::path path;
    std::size_t checks = 0;
    std::size_t failing = 0;

    FormFile() = default;
    FormFile(const FormFile &) = delete;
    FormFile &operator=(const FormFile &) = delete;
    ~FormFile();
};

// The benchmark library calls each benchmark several times; a form is generated only once,
// on first use, and kept under its label.
const FormFile &formFile(const std::string &label, const FormShape &shape);

// The batch of batchForm(0) ... batchForm(batchSize - 1), generated on first use.
const std::deque<FormFile> &batchFiles();

} // namespace zort::bench
