#include "validation_check.h"

#include "check_support.h"

namespace panel_host {

const std::vector<checkDefinition>& registeredChecks()
{
    static const std::vector<checkDefinition> checks = [] {
        std::vector<checkDefinition> all;
        for (auto group : {loadingChecks, hostVariantChecks, boundaryChecks, outputContractChecks, robustnessChecks,
                           determinismChecks}) {
            std::vector<checkDefinition> checksOfGroup = group();
            all.insert(all.end(), checksOfGroup.begin(), checksOfGroup.end());
        }
        return all;
    }();
    return checks;
}

}  // namespace panel_host
