#include "core/DefaultSymbols.h"

namespace pellmark {

std::vector<std::string> DefaultSymbols(Category category) {
    switch (category) {
    case Category::Forex:
        return {"AUDUSD", "USDJPY", "USDCAD", "USDCHF", "GBPUSD", "GBPJPY", "GBPAUD",
                "GBPCAD", "GBPCHF", "EURUSD", "EURJPY", "EURGBP", "EURCHF"};
    case Category::Stocks:
        return {"USASUNW", "USAMSFT", "USAORCL", "USAINTC", "USAAAPL", "USAADBE",
                "USAALTR", "USAAMAT", "USAAMGN", "USABEAS", "USABRCD", "USABRCM",
                "USACHKP", "USACSCO", "USACMVT", "USAEBAY", "USAINTU", "USAKLAC",
                "USALLTC", "USAJNPR", "USAQQQ",  "USAPSFT", "USAQCOM", "USAVRSN",
                "USAXLNX", "UK_BSY",  "UK_BT",   "UK_LLOY", "UK_OOM",  "UK_SMIN"};
    case Category::Indices:
        return {"DJI",  "FCHI",  "FTSE", "GDAXI", "IXIC", "SPC",
                "SSMI", "R_100", "R_75", "R_50",  "R_25"};
    case Category::None:
        break;
    }
    return {};
}

} // namespace pellmark
