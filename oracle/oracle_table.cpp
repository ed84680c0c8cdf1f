#include "oracle/oracle_table.h"

#include "oracle/rounding.h"

namespace zel::oracle {
namespace {

// Spelling mistakes in these texts are the oracle's own words; keep them.
constexpr std::array<OracleEntry, EntryCount> Table {{
    {0, "TINIA", "Supreme God of the Etruscans. Husband to Uni.",
     "Keep track of all opportunities that may come your way. Believe in destiny. Learn to "
     "accept what fate has in store for you."},
    {1, "UNI", "Supreme Goddess of the Etruscans. Wife to Tinia.",
     "You will have a lot of happiness in life. Family, children and work will give you "
     "utmost satisfaction and pleasure."},
    {2, "MENRVA",
     "Supreme Goddess of the Etruscans. She sprang fully formed from the head of Tinia.",
     "Be sure of your plans. Learn to be diplomatic and hardworking to achieve your goals."},
    {3, "HERCLE",
     "Hercules, worshipped as a hero-god, son of Tinia and Uni. Consort to Turan, Goddess of "
     "Love.",
     "Be assertive but don't be too agresive. You may go out on a short journey. Be strong "
     "and confident of your ideas and goals."},
    {4, "NETHUNS", "God of springs, fresh water,seas and oceans.",
     "You will go through a sea of changes. You may receive some communication from far off "
     "lands."},
    {5, "VANTH", "Goddess/Demoness of Death.",
     "This is a time of change in your life. You will see a lot of transformations."},
    {6, "CHARU", "God/Demon of Destruction and Death.",
     "This will be a difficult time. You may have to face some unexpected loss."},
    {7, "THESAN", "Goddess of the Dawn.",
     "This is a time of initiation, new beginnings and making a fresh start."},
    {8, "PHERSIPNAI", "The equivalent of Persephone/Proserpina.",
     "Learn to confront your fears and move on. This will only help you progress in life."},
    {9, "FUFLUNS", "God of Wild Nature.",
     "There will be a lot of passion involved. Something unexpected will happen. Have fun."},
    {10, "CEL ATI", "The Mother Earth Goddess. Also appears as Cel Apa (Father Earth God).",
     "You efforts will give your rewards."},
    {11, "TIUR", "Deity of the Moon.",
     "Be ready for changes in your life. Feelings and emotions will play an important role."},
    {12, "USIL", "Deity of the Sun.",
     "This is a positive sign. Your life will be filled with optimism, radiance and life."},
    {13, "ZICH", "Writing",
     "You will receive a mail or letter. This is the time for learning and teaching."},
    {14, "ETERA", "Client",
     "This is a time of irritation and frustrations. Nothing you do will work out. Have "
     "patience."},
    {15, "ISTER", "Actor",
     "Be cereful not to trust people blindly. Someone may be trying to fool you."},
    {16, "KANA", "Gift", "You will recieve an unexpected gift."},
    {17, "LAUTUN", "Family",
     "Inheritance related problems will arise between you and your family."},
    {18, "MALENA", "Mirror",
     "Be true to yourself. Do not have two faces. Do not expect sympathy and pity."},
    {19, "PULUMCHVA", "The Stars",
     "Be open to new ideas and creativty that can help you in your life."},
    {20, "SPUR", "City",
     "Time to work hard and earn money. You will build your profession and career now with "
     "hard work."},
    {21, "QUTUM", "Vase", "You will get into a new relationship. Love blossoms."},
    {22, "RUMA", "Rome", "You will have some problems with government authorities."},
    {23, "SUPLU", "Double Flute",
     "You will have a creative pastime. Learn to enjoy yourself cooking, painting, singing "
     "and socializing."},
    // Turan shares Qutum's reading, Turms shares Spur's.
    {24, "TURAN", "Goddess of Love.", "You will get into a new relationship. Love blossoms."},
    {25, "TURMS", "God of Trade and Merchandise.",
     "Time to work hard and earn money. You will build your profession and career now with "
     "hard work."},
}};

} // namespace

const std::array<OracleEntry, EntryCount> &table()
{
    return Table;
}

bool indexInBounds(std::int16_t index)
{
    return index >= 0 && index < EntryCount;
}

const OracleEntry &entryAt(std::int16_t index)
{
    return Table.at(static_cast<std::size_t>(index));
}

std::string displayedText(const OracleEntry &entry)
{
    std::string text;
    text.reserve(entry.meaning.size() + 2 + entry.reading.size());
    text.append(entry.meaning).append("\r\n").append(entry.reading);
    return text;
}

std::int16_t entryIndexFor(float r)
{
    return roundToInt16(25.0 * static_cast<double>(r));
}

} // namespace zel::oracle
