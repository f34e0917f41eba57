// The parameter library: parameter sets and parameters that observers watch.
#pragma once

namespace Murn {
class ParameterSet;
class ParameterWithoutType;
} // namespace Murn
