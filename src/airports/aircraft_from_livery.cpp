#include "airports/aircraft_from_livery.h"

#include <gsl/narrow>

#include "foundation/category_tables.h"
#include "liveries/dbase.h"

namespace zrb {

AcIdentity gf_aircraftFromLivery(const AcIdentityRecord& source, std::uint32_t hexId) {
    AcIdentity aircraft;
    static_cast<AcIdentityRecord&>(aircraft) = source;
    aircraft.hexId = hexId;
    aircraft.halfSpan = gf_wingspan(source.type);
    const int category = gf_typeCategory(source.type);
    aircraft.category = static_cast<std::uint32_t>(category);
    const CategoryMotion motion = gf_categoryMotion(category);
    aircraft.landingPitchPasses = gsl::narrow<std::uint32_t>(motion.landingPitchPasses);
    aircraft.groundSlots = gsl::narrow<std::uint32_t>(motion.groundSlots);
    aircraft.rotationPasses = gsl::narrow<std::uint32_t>(motion.rotationPasses);
    aircraft.climbPasses = gsl::narrow<std::uint32_t>(motion.climbPasses);
    aircraft.rotationPitch = motion.rotationPitchRad;
    aircraft.climbPitch = motion.climbPitchRad;
    aircraft.turnStep = motion.turnStepRad;
    return aircraft;
}

}  // namespace zrb
