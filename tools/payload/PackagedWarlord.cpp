// The warlord that this installer delivers: an invented retainer of the 碧原
// family. His family name and number must match the scenario set-data record
// that the installer flags, so they are not free to change.
#include "WarlordRecord.h"

namespace payload {

const Warlord& PackagedWarlord() {
    static const Warlord warlord{
        /*faceSlot=*/1027,
        /*sex=*/0,
        /*birthYear=*/1511,
        /*deathYear=*/1574,
        /*familyName=*/"碧原",
        /*givenName=*/"岳衡",
        /*familyReading=*/"Aohara",
        /*givenReading=*/"Takehira",
        /*leadership=*/82,
        /*valour=*/88,
        /*intellect=*/64,
        /*administration=*/57,
        /*charisma=*/71,
        /*ambition=*/46,
        /*honour=*/74,
        /*temperament=*/2,
        /*firstAppearanceYear=*/1527,
        /*homeProvince=*/17,
        /*clan=*/-1,
        /*relative=*/-1,
        /*biography=*/
        "碧原岳衡，北方沿海豪族之子。少時習弓馬於潮灘，以寡兵夜襲敵營而揚名。"
        "治水開田，民多歸之。晚年隱居故里，著兵書三卷傳世。",
        /*number=*/1532,
        /*specialSkills=*/0x00000005u,
    };
    return warlord;
}

}  // namespace payload
