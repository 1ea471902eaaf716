#pragma once

#include "Trayvane/Settings/RevealPreferences.h"

#include <memory>

namespace pellacor::coordinator {
class Coordinator;
} // namespace pellacor::coordinator

namespace pellacor::app {

class GeneralModel;

// The five feature switches: read once at launch from the user defaults into
// the coordinator and the General page, and live from then on through the
// page. Each switch gets a closure on the page's model, `onSet…`, which in
// this order writes the value into the defaults, sets the model, stores it
// in the coordinator and runs its reaction only when the value changed, and
// logs "…を入/切にしました". The closures hold the page and the coordinator
// weakly.
class FeatureSwitches {
public:
    static void connect(const std::shared_ptr<coordinator::Coordinator>& coordinator,
                        const std::shared_ptr<GeneralModel>& general, const RevealPreferences& preferences);
};

} // namespace pellacor::app
