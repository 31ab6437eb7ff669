#pragma once
// What DLNA renderers look for in the answer for a shared file:
// contentFeatures.dlna.org (the protocolInfo's fourth field) when they ask
// with "getcontentFeatures.dlna.org: 1", and transferMode.dlna.org always,
// their own when they ask for one the file allows. libupnp itself sends
// "Accept-Ranges: bytes" with every length it knows.
class ShareTree;
// The tree names each file's fourth field (it knows the stream properties);
// it must outlive the description.
void DescribeSharedFiles(const ShareTree& tree);
void UndescribeSharedFiles();
