#include "jww/JwwData.h"

namespace velmora {

void TJwwData::MakeBlockTree() {
    EntBlockTree.clear();
    EntBlockTreeN = 0;
    EntBlockNum = 0;
}

}  // namespace velmora
