// The skin engine's private window messages, the control-kind codes of skinned controls, the
// kind sets the styles test, and the class codes a skin object answers with.
//
// The messages travel two ways: as window messages (SendMessage to a handle, where a hooked
// window procedure such as the form's skin provider sees them) and through a control's
// WindowProc (Perform, or a direct call for graphic controls). Library messages carry the
// receiver's group in WParam: a style acts only on WParam equal to its GroupIndex, so a
// broadcast to group 0 reaches every ordinary control.
#pragma once

#include <windows.h>

#include <string>

#include "skin/engine/sskintables.h"
#include "toolkit/messages.h"

class TObject;

// ---- Messages -------------------------------------------------------------------------------

// Sent by GetSkinObject/GetSkinObjectKind through the control's WindowProc (WParam 0, LParam
// 0). A skin object answers WParam := its class code (SCC_*), LParam := itself, Result 1; an
// unskinned control leaves both 0.
constexpr UINT SKM_GETSKINOBJECT = 0xA000;

// Library messages every skin object takes ($A001-$A414).
constexpr UINT SKM_LIBFIRST = 0xA001;
// Sent by RepaintParent, the form provider and the background-changed utility; LParam not 0
// marks the receiver's cache stale. Answered by styles and TsCommonData.
constexpr UINT SKM_BGCHANGED = 0xA401;
// Sent by the skin manager's broadcast after a skin was loaded: recompute the indexes and
// start updating (the cache is not trusted until SKM_REFRESH). Answered by styles,
// TsCommonData, the form provider and the list view.
constexpr UINT SKM_SETNEWSKIN = 0xA402;
// Sent by the skin manager's broadcast (and the grid adapter) when the skin goes: indexes -1,
// start updating, repaint. Answered by styles, TsCommonData and the form provider.
constexpr UINT SKM_REMOVESKIN = 0xA403;
// Sent by nobody here; styles, the form provider and the list view clear their indexes.
constexpr UINT SKM_CLEARINDEXES = 0xA404;
// $A405: not used.
// Sent by the form skinning to a form; the form's skin provider answers Result := itself.
constexpr UINT SKM_GETPROVIDER = 0xA406;
// Sent by the skin manager's broadcast after SKM_SETNEWSKIN: the cache is stale, updating
// ends, repaint. Answered by styles, TsCommonData and the form provider.
constexpr UINT SKM_REFRESH = 0xA407;
// Sent by GetParentCacheInfo and the skinned controls that draw over their parent, always to
// the parent's window; styles, TsCommonData and the form provider fill GlobalCacheInfo.
constexpr UINT SKM_GETCACHEINFO = 0xA408;
// Sent by nobody here; styles and TsCommonData whose section is RepaintSectionName repaint.
constexpr UINT SKM_REPAINTSECTION = 0xA409;
// Sent by nobody here; TsCommonData and the passive background styles repaint when their
// section is partly transparent.
constexpr UINT SKM_UPDATETRANSPARENT = 0xA40A;
// Sent by TsCommonData to its own control on WM_MOVE and WM_SIZE; nobody answers it.
constexpr UINT SKM_BOUNDSCHANGED = 0xA40B;
// Query "is this window skinned already"; neither sent nor answered here.
constexpr UINT SKM_ISSKINNED = 0xA40C;
// Sent by TsCustomStyle to its control before it moves the caption label; nobody answers, a
// result other than 0 would keep the label where it is.
constexpr UINT SKM_CAPTIONQUERY = 0xA40D;
// Sent by skinned controls; styles, TsCommonData and the form provider set Updating to
// (LParam not 0).
constexpr UINT SKM_SETUPDATING = 0xA40E;
// Sent by skinned controls; styles, TsCommonData and the form provider answer 1 when their
// cache can be used as it is, else 0.
constexpr UINT SKM_ISCACHEREADY = 0xA40F;
// $A410: not used.
// Sent by TsCommonData and the skinned panel to their parent; styles, TsCommonData and the
// form provider answer 1 while their cache is stale or updating, else 0.
constexpr UINT SKM_ISUPDATING = 0xA411;
constexpr UINT SKM_LIBLAST = 0xA414;

// Editor-style messages ($A415-$A432): acted on by TsEditorStyle and its descendants only.
// Nobody here sends them; they set a style's own settings for its group.
constexpr UINT SKM_EDITFIRST = 0xA415;
constexpr UINT SKM_EDIT_SOFTCONTROL = 0xA415;     // SoftControl := LParam not 0
constexpr UINT SKM_EDIT_COLOR = 0xA41F;           // Painting.Color := LParam
constexpr UINT SKM_EDIT_BORDERTOP = 0xA421;       // Painting.ColorBorderTop := LParam
constexpr UINT SKM_EDIT_BORDERBOTTOM = 0xA422;    // Painting.ColorBorderBottom := LParam
constexpr UINT SKM_EDIT_BEVEL = 0xA423;           // Painting.Bevel := LParam
constexpr UINT SKM_EDIT_SELCOLOR = 0xA424;        // Selection.Color := LParam
constexpr UINT SKM_EDIT_SELBORDERWIDTH = 0xA425;  // Selection.Border.Width := LParam
constexpr UINT SKM_EDIT_SELBORDERBEVEL = 0xA426;  // Selection.Border.Bevel := LParam
constexpr UINT SKM_EDIT_SHADOWENABLED = 0xA429;   // own shadow on (LParam not 0) where allowed
constexpr UINT SKM_EDIT_SHADOWCOLOR = 0xA42A;     // own shadow Color := LParam
constexpr UINT SKM_EDIT_SHADOWTRANSPARENCY = 0xA42B;
constexpr UINT SKM_EDIT_SHADOWOFFSET = 0xA42C;
constexpr UINT SKM_EDIT_SHADOWBLUR = 0xA42D;
constexpr UINT SKM_EDIT_CHILDSHADOWS = 0xA42E;  // a container repaints when a child casts a shadow
constexpr UINT SKM_EDIT_COPYSHADOW = 0xA432;    // LParam: the TsGenStyle to copy the shadow from
constexpr UINT SKM_EDITLAST = 0xA432;

// Paint-style messages ($A433-$A464): acted on by TsPaintStyle and its descendants only, the
// same settings as the editor range.
constexpr UINT SKM_PAINTFIRST = 0xA433;
constexpr UINT SKM_PAINT_SOFTCONTROL = 0xA433;
constexpr UINT SKM_PAINT_COLOR = 0xA43D;    // Painting.Color := LParam
constexpr UINT SKM_PAINT_BGIMAGE = 0xA447;  // LParam: the picture of the background image
constexpr UINT SKM_PAINT_SHADOWENABLED = 0xA451;
constexpr UINT SKM_PAINT_SHADOWCOLOR = 0xA452;
constexpr UINT SKM_PAINT_SHADOWTRANSPARENCY = 0xA453;
constexpr UINT SKM_PAINT_SHADOWOFFSET = 0xA454;
constexpr UINT SKM_PAINT_SHADOWBLUR = 0xA455;
constexpr UINT SKM_PAINT_CHILDSHADOWS = 0xA456;
constexpr UINT SKM_PAINT_COPYSHADOW = 0xA464;
constexpr UINT SKM_PAINTLAST = 0xA464;

// The toolkit's notifications the styles follow. Their numbers are the toolkit's (the same
// as the ones skins were designed against): mouse enter $B013, leave $B014, visible $B00B,
// enabled $B00C, enter $B01A, exit $B01B.
static_assert(CM_MOUSEENTER == 0xB013 && CM_MOUSELEAVE == 0xB014 && CM_VISIBLECHANGED == 0xB00B &&
              CM_ENABLEDCHANGED == 0xB00C && CM_ENTER == 0xB01A && CM_EXIT == 0xB01B);

// The reply of SKM_GETCACHEINFO: the answering object writes it, the asker copies it right
// after its (synchronous) send. User-interface thread only.
extern TsCacheInfo GlobalCacheInfo;
// The section SKM_REPAINTSECTION repaints (upper case); empty here.
extern std::string RepaintSectionName;

// Objects our own code lets travel in a message's LParam. A window message can come from
// any process with any number in it, so the receiver only takes an object found here: the
// live styles (registered for their lifetime) and objects a sender offers for its sends.
// User-interface thread only.
namespace TsMessageObjects {
void Add(const TObject* object);
void Remove(const TObject* object);
// The registered object the LParam names; null for anything else.
TObject* Find(LPARAM lparam);
}  // namespace TsMessageObjects

// Offers one object to the messages sent while the offer lives.
class TsOfferedObject {
 public:
  explicit TsOfferedObject(const TObject* object) : object_(object) { TsMessageObjects::Add(object_); }
  ~TsOfferedObject() { TsMessageObjects::Remove(object_); }
  TsOfferedObject(const TsOfferedObject&) = delete;
  TsOfferedObject& operator=(const TsOfferedObject&) = delete;
  LPARAM LParam() const { return reinterpret_cast<LPARAM>(object_); }

 private:
  const TObject* object_;
};

// ---- Control-kind codes (COC) -----------------------------------------------------------------

constexpr int COC_TsEdit = 3;
constexpr int COC_TsCustomListBox = 8;
constexpr int COC_TsListView = 10;
constexpr int COC_TsCustomComboBox = 11;
constexpr int COC_TsComboBox = 13;
constexpr int COC_TsCheckedControl = 31;
constexpr int COC_TsRadioButton = 33;
constexpr int COC_TsPanel = 51;
constexpr int COC_TsCustomPanel = 68;
constexpr int COC_TsGroupBox = 74;
constexpr int COC_TsButtonControl = 91;
constexpr int COC_TsSpeedButton = 92;
constexpr int COC_TsButton = 93;
constexpr int COC_TsBitBtn = 94;
constexpr int COC_TsBevel = 110;
constexpr int COC_TsScrollBar = 142;

// The kind sets hold codes 0-255 only; larger codes are in none.
// Controls that never take a hot state: panels, group boxes, bevels and the like.
constexpr bool IsNeverHotKind(int coc) {
  return (coc >= 51 && coc <= 74) || coc == 110 || (coc >= 141 && coc <= 161);
}
// Controls that never cast a shadow.
constexpr bool IsNoShadowKind(int coc) {
  return coc == 57 || coc == 74 || coc == 110 || coc == 141 || coc == 151;
}
// Containers whose children may cast shadows onto them.
constexpr bool IsShadowContainerKind(int coc) { return (coc >= 51 && coc <= 68) || coc == 151; }
// Combo boxes (they paint their drop-down list late).
constexpr bool IsComboKind(int coc) { return coc >= 11 && coc <= 15; }
// Edit kinds repaint themselves on focus changes.
constexpr bool IsEditKind(int coc) { return coc >= 1 && coc <= 15; }

// ---- Style class codes (the WParam of the SKM_GETSKINOBJECT answer) --------------------------

constexpr int SCC_TsGenStyle = 1;
constexpr int SCC_TsEditorStyle = 1;
constexpr int SCC_TsPaintStyle = 1;
constexpr int SCC_TsPassiveBGStyle = 12;
constexpr int SCC_TsActiveBGStyle = 13;
constexpr int SCC_TsCustomStyle = 14;
constexpr int SCC_TsStyle = 15;
