// WorkFolder: a folder of the tool's own for the plug-in to work in, made
// fresh inside an output folder under a name nobody can know beforehand
// (".tzq-work." and six random letters or digits), so that nothing planted
// in the output folder (a link at "Plugins", a link at a work folder's
// name) redirects what the plug-in writes or what the tool deletes. It is
// made with its "Plugins" folder, which the plug-in's settings file needs,
// readable by its owner only, and removed with everything in it when the
// object goes (links inside are removed, never followed).
// One owner; the object does not move the working folder.
#pragma once

#include <string>

class WorkFolder {
 public:
  WorkFolder() = default;
  ~WorkFolder() { Remove(); }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  // Makes the folder inside `parent` (which must exist). False with the
  // reason in `error` when none could be made.
  bool Create(const std::string& parent, std::string* error);
  // Removes the folder and its contents now; nothing when there is none.
  void Remove();

  // The folder's path; empty before Create.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};
