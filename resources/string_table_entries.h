// The entries of the string table (string_table.h), sorted by identifier.
// Kept in a header of its own so that the table's test can hold it to its
// order; everything else loads texts through LoadString.
#pragma once

#include <string_view>

namespace kv::strings {

struct StringTableEntry {
  int id;
  std::u16string_view text;
};

// clang-format off
inline constexpr StringTableEntry kStringTable[] = {
    {128, u"Kestrelvox"},
    {6600, u"Tahoma"},
    {6601, u"About"},
    {6603, u"Error"},
    {6604, u"Memory Scan"},
    {6605, u"Full Scan"},
    {6606, u"Fast Scan"},
    {6607, u"View Log"},
    {6608, u"Question"},
    {6609, u"Full Scan will be started,it may take several minutes.\nStart scan?"},
    {6610, u"Information"},
    {6611, u"Fast scan function when startup has been enabled!\nWhen startup,Kestrelvox will run,"
           u"and quit after scan finished,it will not take any resources at normal time."},
    {6612, u"Scan CAB file when installed has been enabled!\nWhen install CAB,Kestrelvox will "
           u"scan it,Kestrelvox will alerm and kill virus when find a Trojan.It will quit when "
           u"scan finished,and will not take any resources at normal time."},
    {6613, u"Can not set this function"},
    {6614, u"The function of \"Monitor CAB file when installed\" has been enabled."},
    {6615, u"Finished"},
    {6616, u"The function of \"Monitor CAB file when installed\" has been disabled."},
    {6617, u"Are you sure to delete the log?"},
    {6618, u"Can not download the data!"},
    {6619, u"Warning"},
    {6620, u"Unable to connect to the website and download data!\nPlease check the network "
           u"connection and try again."},
    {6621, u"Can not get the version of virus DB,please try again!"},
    {6622, u"The virus DB is latest!\nVirus DB Version:%d"},
    {6623, u"Update virus DB failed,please try again!"},
    {6624, u"Update virus DB successfully"},
    {6625, u"To update virus DB need to connect to network,continue?"},
    {6626, u"Ready to scan..."},
    {6627, u"The Log:"},
    {6628, u"Memory scanning..."},
    {6629, u"Fast scanning..."},
    {6630, u"Full scanning..."},
    {6631, u"*%02d/%d/%d %02d:%02d:%02d Start "},
    {6632, u"[%d].Found Trojan,"},
    {6633, u"Delete successfully:"},
    {6634, u"Please stop scan first!\n"},
    {6635, u"Scan is running,stop it?"},
    {6636, u"Memory not enough,please close other programs and try again!"},
    {6637, u"Trojan found,but it can't be killed,please delete manually or restart system and "
           u"try again!"},
    {6638, u"There's no Trojan in memory!"},
    {6639, u"Found no Trojans!"},
    {6640, u"Found a program looks like Trojan:\n%s\nDelete it?"},
    {6641, u"Delete successfully!"},
    {6642, u"Can not delete,please delete it manually or restart system and try again!\n"},
    {6643, u"Found Trojan:\n%s\nDelete successfully!\n"},
    {6644, u"Found Trojan:\n%s\nIt can not be deleted!please delete it manually or restart "
           u"system and try again!\n"},
    {6645, u"Delete Trojan successfully:%s"},
    {6646, u"Can not delete Trojan:%s"},
    {6647, u"*There's no Trojan!"},
    {6648, u"Memory scan finished!"},
    {6649, u"Fast scan finished!"},
    {6650, u"Full scan finished!"},
    {6651, u"%02d/%d/%d %02d:%02d:%02d Self scan started"},
    {6652, u"%02d/%d/%d %02d:%02d:%02d Self scan finished"},
    {6653, u"%02d/%d/%d %02d:%02d:%02d Check CAB file"},
    {6654, u"Alerm:Kestrelvox found there's a Trojan in CAB file,Delete it?\nYes:Delete it and "
           u"stop install.\nNo:Don't delete it and continue to install.\nCancel:Don't delete it "
           u"and stop install."},
    {6655, u"Delete successfully:%s"},
    {6656, u"The Trojan has been deleted successfully!\n"},
    {6657, u"Can not delete:%s"},
    {6658, u"Ignore Trojan:%s"},
    {6659, u"Continue to install:%s"},
    {6660, u"Unknown error:Can not install!\n"},
    {6661, u"Can not delete:"},
    {6662, u"*>>>>>>>>User stop scan!"},
    {6663, u"Create thread failed!"},
    {6664, u"Can not check:%s"},
    {6665, u"*Virus DB is not loaded!"},
    {6666, u"Kill Trojan process:%s"},
    {6667, u"Delete related file:%s"},
    {6668, u"Can not check the CAB file,install it anyway?"},
    {6669, u"*Scan failed:%s"},
    {6670, u"%d of %d files   %s MB/s   %d:%02d"},
    {6671, u"%d files   %s MB/s   %d:%02d"},
    {6672, u"Checked: %d, found: %d, not checked: %d"},
    {6680, u"Quarantine"},
    {6681, u"There's no file in quarantine."},
    {6682, u"Can not read the quarantine!"},
    {6683, u"%s  %s"},
    {6684, u"%s  %s (missing)"},
    {6685, u"Restore this file to its place?\n%s"},
    {6686, u"Delete this file from the quarantine?It can not be restored afterwards.\n%s"},
    {6687, u"Restore successfully:\n%s"},
    {6688, u"Can not restore,there is already a file at:\n%s"},
    {6689, u"Can not restore,the file's folder does not exist:\n%s"},
    {6690, u"Can not restore:\n%s"},
    {6691, u"Can not delete from the quarantine:\n%s"},
    {6692, u"It is no longer in the quarantine:\n%s"},
    {6693, u"Done,but the quarantine could not record it:\n%s"},
    {6694, u"%d/%d/%d %02d:%02d"},
    {6695, u"VirusDB %d \u00B7 %s signatures"},
    {6696, u"VirusDB %d \u00B7 1 signature"},
    {6697, u"Virus DB is not loaded!"},
};
// clang-format on

}  // namespace kv::strings
