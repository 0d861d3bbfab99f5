#include "FormFiles.h"

#include "FormWriter.h"

#include <fstream>
#include <map>
#include <unistd.h>

namespace zort::bench {

namespace {

void generate(FormFile &file, const std::string &label, const FormShape &shape)
{
    const auto form = makeFormContent(shape);
    file.bytes = writeForm(form);
    file.checks = form.checks.size();
    file.failing = form.failing;
    file.path = std::filesystem::temp_directory_path()
                / ("zort_bench_" + std::to_string(getpid()) + "_" + label + ".xls");
    std::ofstream(file.path, std::ios::binary)
            .write(reinterpret_cast<const char *>(file.bytes.data()),
                   static_cast<std::streamsize>(file.bytes.size()));
}

} // namespace

FormFile::~FormFile()
{
    if (!path.empty())
        std::filesystem::remove(path);
}

const FormFile &formFile(const std::string &label, const FormShape &shape)
{
    static std::map<std::string, FormFile> files;
    const auto [it, added] = files.try_emplace(label);
    if (added)
        generate(it->second, label, shape);
    return it->second;
}

const std::deque<FormFile> &batchFiles()
{
    static const std::deque<FormFile> files = [] {
        std::deque<FormFile> all(batchSize);
        for (unsigned i = 0; i < batchSize; ++i)
            generate(all[i], "batch" + std::to_string(i), batchForm(i));
        return all;
    }();
    return files;
}

} // namespace zort::bench
