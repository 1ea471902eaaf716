#include "Trayvane/Coordinator/PressSource.h"

namespace pellacor::coordinator {

std::string_view logWord(PressSource source) {
    switch (source) {
    case PressSource::belowBar:
        return "下の段";
    case PressSource::search:
        return "検索の窓";
    }
    return "下の段";
}

} // namespace pellacor::coordinator
