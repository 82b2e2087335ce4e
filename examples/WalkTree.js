// Walks a folder tree breadth-first: first the entries of the folder itself, then
// those of each subfolder in the order they were met.
// Register the DLL once (regsvr32 TarnixFileAccess.dll), then run:
//     cscript //nologo WalkTree.js [folder]       (the current folder by default)
var tree = new ActiveXObject("Tarnix.DirTree");
if (WScript.Arguments.length > 0) tree.BaseDir = WScript.Arguments(0);
tree.Recurse = 1;
WScript.Echo("Walking " + tree.BaseDir);

var files = 0, folders = 0, bytes = 0;
for (var more = tree.BeginIterate(); more; more = tree.AdvancePosition()) {
    if (tree.IsDirectory) {
        folders++;
        WScript.Echo("  [folder] " + tree.RelativePath);
    } else {
        files++;
        bytes += tree.FileSize32;
        WScript.Echo("  " + ("        " + tree.FileSize32).slice(-8) + " " + tree.RelativePath);
    }
}
WScript.Echo(files + " files, " + folders + " folders, " + bytes + " bytes");

// Past the end the walker refuses, and its log says why.
WScript.Echo("AdvancePosition after the end: " + tree.AdvancePosition());
WScript.Echo(tree.LastErrorText);
