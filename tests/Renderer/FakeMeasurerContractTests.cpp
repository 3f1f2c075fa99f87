#include "MeasurementContract.h"
#include "Support/FakeMeasurer.h"

namespace MeasurementContractTesting
{
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, MeasurementContract, ::testing::Types<TestSupport::FakeMeasurerFactory>);
} // namespace MeasurementContractTesting
