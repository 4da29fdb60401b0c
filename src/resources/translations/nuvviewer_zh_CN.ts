<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>HistogramPlot</name>
    <message>
        <source>X-axis</source>
        <translation>X轴</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>行</translation>
    </message>
    <message>
        <source>Column</source>
        <translation>列</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>   Gray: %1</source>
        <translation>   灰度：%1</translation>
    </message>
    <message>
        <source>   Red: %1</source>
        <translation>   红：%1</translation>
    </message>
    <message>
        <source>   Green: %1</source>
        <translation>   绿：%1</translation>
    </message>
    <message>
        <source>   Blue: %1</source>
        <translation>   蓝：%1</translation>
    </message>
</context>
<context>
    <name>Image2DWnd</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <source>Start Grab</source>
        <translation>开始采集</translation>
    </message>
    <message>
        <source>Stop Grab</source>
        <translation>停止采集</translation>
    </message>
    <message>
        <source>Single Save</source>
        <translation>单帧保存</translation>
    </message>
    <message>
        <source>Multiframe Save</source>
        <translation>多帧保存</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>录像</translation>
    </message>
    <message>
        <source>Histogram</source>
        <translation>直方图</translation>
    </message>
    <message>
        <source>Show Cross</source>
        <translation>显示十字线</translation>
    </message>
    <message>
        <source>Show Grid</source>
        <translation>显示网格</translation>
    </message>
    <message>
        <source>Measure</source>
        <translation>测量</translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation>放大</translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation>缩小</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>还原</translation>
    </message>
</context>
<context>
    <name>Image3DWnd</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <source>Contour Mode</source>
        <translation>轮廓模式</translation>
    </message>
    <message>
        <source>2D Mode</source>
        <translation>2D模式</translation>
    </message>
    <message>
        <source>3D Mode</source>
        <translation>3D模式</translation>
    </message>
    <message>
        <source>3D Show</source>
        <translation>3D显示</translation>
    </message>
    <message>
        <source>2D RangeImage Show</source>
        <translation>2D深度图显示</translation>
    </message>
    <message>
        <source>Grey Show</source>
        <translation>灰度图显示</translation>
    </message>
    <message>
        <source>Single Grab</source>
        <translation>单帧采集</translation>
    </message>
    <message>
        <source>Start Grab</source>
        <translation>开始采集</translation>
    </message>
    <message>
        <source>Stop Grab</source>
        <translation>停止采集</translation>
    </message>
    <message>
        <source>Single Save</source>
        <translation>单帧保存</translation>
    </message>
    <message>
        <source>Multiframe Save</source>
        <translation>多帧保存</translation>
    </message>
    <message>
        <source>3D Rendering</source>
        <translation>3D渲染</translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation>放大</translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation>缩小</translation>
    </message>
    <message>
        <source>1:1 Show</source>
        <translation>1:1显示</translation>
    </message>
    <message>
        <source>Fit</source>
        <translation>适应窗口</translation>
    </message>
</context>
<context>
    <name>ImageMultiSaveInfoWidget</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <source>Images</source>
        <translation>张图片</translation>
    </message>
    <message>
        <source>Cache usage rate</source>
        <translation>缓存使用率</translation>
    </message>
    <message>
        <source>Processed</source>
        <translation>已处理帧数</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>已丢弃帧数</translation>
    </message>
</context>
<context>
    <name>ImageWnd</name>
    <message>
        <source>Frame</source>
        <translation>窗格</translation>
    </message>
    <message>
        <source>No Camera</source>
        <translation>无相机</translation>
    </message>
</context>
<context>
    <name>PaneSaveCommands</name>
    <message>
        <source>Dir is not exist</source>
        <translation>目录不存在</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Create dir failed!</source>
        <translation>创建目录失败！</translation>
    </message>
    <message>
        <source>Disk path error, please reselect.</source>
        <translation>磁盘路径错误，请重新选择。</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Disk is full, please reselect.</source>
        <translation>磁盘空间已满，请重新选择。</translation>
    </message>
    <message>
        <source>Save image failed. (Error cause: no valid data)</source>
        <translation>图像保存失败。（错误原因：无有效数据）</translation>
    </message>
    <message>
        <source>I know</source>
        <translation>我知道了</translation>
    </message>
    <message>
        <source>Save image failed. (Error cause: not start grab)</source>
        <translation>图像保存失败。（错误原因：未开始采集）</translation>
    </message>
    <message>
        <source>Recording failure, current frame rate is zero.</source>
        <translation>录像失败，当前帧率为零。</translation>
    </message>
    <message>
        <source>Save video failed. (Error cause: no valid data)</source>
        <translation>视频保存失败。（错误原因：无有效数据）</translation>
    </message>
    <message>
        <source>Video saved.</source>
        <translation>视频已保存。</translation>
    </message>
    <message>
        <source>Picture saved.</source>
        <translation>图片已保存。</translation>
    </message>
    <message>
        <source>View</source>
        <translation>查看</translation>
    </message>
    <message>
        <source>Picture saving failure!</source>
        <translation>图片保存失败！</translation>
    </message>
    <message>
        <source>Save File</source>
        <translation>保存文件</translation>
    </message>
    <message>
        <source>Select a folder</source>
        <translation>选择文件夹</translation>
    </message>
    <message>
        <source>BMP(*.bmp);;JPG(*.jpg);;PNG(*.png);;TIF(*.tif)</source>
        <translation>BMP文件(*.bmp);;JPG文件(*.jpg);;PNG文件(*.png);;TIF文件(*.tif)</translation>
    </message>
    <message>
        <source>CSV(*.csv);;BIN(*.bin);;PCD(*.pcd);;SRT(*.srt)</source>
        <translation>CSV文件(*.csv);;BIN文件(*.bin);;PCD文件(*.pcd);;SRT文件(*.srt)</translation>
    </message>
    <message>
        <source>BMP(*.bmp);;JPG(*.jpg);;PNG(*.png);;TIF(*.tif);;SRT(*.srt);;PCD(*.pcd);;PLY(*.ply)</source>
        <translation>BMP(*.bmp);;JPG(*.jpg);;PNG(*.png);;TIF(*.tif);;SRT(*.srt);;PCD(*.pcd);;PLY(*.ply)</translation>
    </message>
    <message>
        <source>;;CSV(*.csv);;BIN(*.bin);;OBJ(*.obj);;ECD(*.ecd);;JXR(*.jxr)</source>
        <translation>;;CSV(*.csv);;BIN(*.bin);;OBJ(*.obj);;ECD(*.ecd);;JXR(*.jxr)</translation>
    </message>
</context>
<context>
    <name>ProfilePlot</name>
    <message>
        <source>Left</source>
        <translation>左</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>右</translation>
    </message>
</context>
</TS>
