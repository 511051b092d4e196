#pragma once

#include <QString>

class Form1;

// Types a sample input into every tool page and starts each tool, as someone trying the demo
// would: the surveys, the period query, the rank search, the badges, a directory list, a
// conversion, the related searches, the keyword density, the IP and the WHOIS lookups. Returns
// at once; the network tools run beside the window.
void tryEveryTool(Form1* form);

// Shows every page of both tab controls in turn, saves each as a PNG in folder (tab1-00.png to
// tab1-10.png, tab2-0.png to tab2-4.png) and quits the application. With afterTools, first waits
// for the tools that are running to end.
void takeScreenshots(Form1* form, const QString& folder, bool afterTools);
