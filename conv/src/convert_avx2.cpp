// The block converters on AVX2; this file alone is compiled with AVX2 on, and
// it runs only where the processor has it.
#include "blocks.h"
#include "state.h"
#include "vec_avx2.h"

namespace kanji {

void PairBlocksAvx2(PairState& s, PairKind kind) {
    if (kind == PairKind::kEuc)
        PairBlocks<Avx2, PairKind::kEuc>(s);
    else
        PairBlocks<Avx2, PairKind::kCopy>(s);
}

void JisBlocksAvx2(JisState& s) { JisBlocks<Avx2>(s); }

}  // namespace kanji
