// Windows only: the registry under HKEY_CLASSES_ROOT and the system's component category manager behind the
// interfaces the registration is written against.
#pragma once

#include <memory>
#include <string>

#include "opcda/registration/classes_registry.h"

namespace iec::opcda {

std::unique_ptr<ClassesRegistry> SystemClassesRegistry();
// The category manager of COM (StdComponentCategoriesMgr); COM must be initialised on the calling thread. Nothing
// when it cannot be created; why says why.
std::unique_ptr<CategoryManager> SystemCategoryManager(std::string& why);
unsigned UserDefaultLcid();
// The short (8.3) form of an existing path, empty when the system gives none.
std::string ShortPathOf(const std::string& path);

}  // namespace iec::opcda
