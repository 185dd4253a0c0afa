// Writes a loaded model record back as the scratch files of a model instance, in any
// layout 0 to 5, with the record writers of the link: layouts 0 to 4 a matrix file and an
// instruction-code file, layout 5 one data-exchange file that holds both (the instruction
// code through the handle's data-exchange object).
#pragma once

#include <cstdint>
#include <string>

namespace gcdata {
struct tmodel;
}

namespace scratchwrite {

// The file type of the record with its layout digit replaced.
[[nodiscard]] std::int32_t withlayout(std::int32_t filetype, std::int32_t layout);

// Writes the matrix to matfile and the code to codfile (layout 5: both to matfile, codfile
// unused) in the given file type. Empty on success, else what failed.
[[nodiscard]] std::string writemodel(const gcdata::tmodel& m, std::int32_t filetype,
                                     const std::string& matfile, const std::string& codfile);

}  // namespace scratchwrite
