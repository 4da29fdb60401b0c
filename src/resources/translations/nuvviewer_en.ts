<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>HistogramPlot</name>
    <message>
        <source>X-axis</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Line</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Column</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>   Gray: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>   Red: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>   Green: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>   Blue: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Image2DWnd</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start Grab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop Grab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Single Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Multiframe Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Histogram</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show Cross</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show Grid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Measure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Image3DWnd</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contour Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2D Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3D Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3D Show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2D RangeImage Show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Grey Show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Single Grab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start Grab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop Grab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Single Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Multiframe Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3D Rendering</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1:1 Show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fit</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ImageMultiSaveInfoWidget</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Images</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cache usage rate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Processed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Discard</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ImageWnd</name>
    <message>
        <source>Frame</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No Camera</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PaneSaveCommands</name>
    <message>
        <source>Dir is not exist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Info</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Create dir failed!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disk path error, please reselect.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disk is full, please reselect.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save image failed. (Error cause: no valid data)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>I know</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save image failed. (Error cause: not start grab)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recording failure, current frame rate is zero.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save video failed. (Error cause: no valid data)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Video saved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Picture saved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Picture saving failure!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select a folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BMP(*.bmp);;JPG(*.jpg);;PNG(*.png);;TIF(*.tif)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CSV(*.csv);;BIN(*.bin);;PCD(*.pcd);;SRT(*.srt)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BMP(*.bmp);;JPG(*.jpg);;PNG(*.png);;TIF(*.tif);;SRT(*.srt);;PCD(*.pcd);;PLY(*.ply)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>;;CSV(*.csv);;BIN(*.bin);;OBJ(*.obj);;ECD(*.ecd);;JXR(*.jxr)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ProfilePlot</name>
    <message>
        <source>Left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Right</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
