// Each fake's destructor is its key function: defined here, it puts the fake's
// virtual table, and with it every override the table names, in this one file
// instead of in every test file that builds a coordinator over the fakes.
#include "Support/FakeItemPresser.h"
#include "Support/FakeItemReader.h"
#include "Support/FakeItemReorderer.h"
#include "Support/FakeSensing.h"
#include "Support/FakeVisibilityController.h"
#include "Support/FakeWatchers.h"

namespace pellacor::testing {

FakeItemPresser::~FakeItemPresser() = default;
FakeItemReader::~FakeItemReader() = default;
FakeItemReorderer::~FakeItemReorderer() = default;
FakeHealthCheck::~FakeHealthCheck() = default;
FakeTrustCheck::~FakeTrustCheck() = default;
FakePointerSensor::~FakePointerSensor() = default;
FakeHoverSensor::~FakeHoverSensor() = default;
FakeVisibilityController::~FakeVisibilityController() = default;
FakeAppActivityWatcher::~FakeAppActivityWatcher() = default;
FakeCaptureUseWatcher::~FakeCaptureUseWatcher() = default;
FakeDragWatcher::~FakeDragWatcher() = default;
FakeScreenSensor::~FakeScreenSensor() = default;

} // namespace pellacor::testing
