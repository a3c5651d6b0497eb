// The register bank of a plausible configured indicator, for --simulate and the end-to-end tests:
// every parameter at its table default, the linearisation a straight line through its two points.
#include "proto/ParamTable.h"
#include "sim/SimulatedIndicator.h"

namespace qv7 {

std::map<int, std::uint16_t> SimulatedIndicator::defaultRegisters(std::uint16_t typeWord) {
    const TParamImage params = defaultParams(typeWord);
    std::map<int, std::uint16_t> r;
    const ConfigRegisters config = registersFromParams(params);
    for (const RegisterBlock& block : parameterBlocks())
        for (int address = block.start; address <= block.last(); ++address)
            r[address] = config[static_cast<std::size_t>(address)];
    TLinTable table{};
    const int lastPoint = params.LinLastPoint;
    for (int point = 0; point <= lastPoint; ++point)
        table[static_cast<std::size_t>(point)] = {static_cast<float>(point) / static_cast<float>(lastPoint),
                                                  static_cast<float>(point) / static_cast<float>(lastPoint)};
    const TableRegisters words = registersFromLinTable(table);
    for (int i = 0; i < TableRegisterCount; ++i)
        r[TableStart + i] = words[static_cast<std::size_t>(i)];
    return r;
}

} // namespace qv7
