// Reads a relation file of any format and writes it to another, in the format the second
// name's extension asks for, as "Cargar matriz" and "Salvar Matriz" do; for the test that has
// NumPy and SciPy read what we write.
//     relation_convert FROM TO

#include <cstdio>
#include <exception>
#include <memory>

#include "formats/relation_file.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    try {
        auto matrix = std::make_unique<engine::RelationMatrix>();
        const int n = formats::ReadRelationFile(argv[1], *matrix);
        toolkit::SaveFileAtomically(argv[2], formats::RelationFileBytes(argv[2], n, *matrix, '.'));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
